#pragma once
// One session of a PostgreSQL server through libpq, for what ODBC cannot do:
// COPY ... FROM STDIN, fed with rows as they are made.
#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

struct pg_conn;

namespace kovagenerate {

class PgCopy {
public:
    PgCopy() = default;
    ~PgCopy();
    PgCopy(const PgCopy&) = delete;
    PgCopy& operator=(const PgCopy&) = delete;

    // Connects with libpq's keywords and values (a "dbname" holding "=" is a
    // whole connection string, whose settings override the ones before it).
    // Empty when connected, else the server's or libpq's message.
    QString connect(const std::vector<std::pair<QByteArray, QByteArray>>& settings);
    // Runs statements that return no rows. These and the calls below throw
    // OraError with the server's message when they fail.
    void run(const QString& sql);
    void copyBegin(const QString& sql);
    void copyPut(const QByteArray& bytes);
    void copyEnd();

private:
    pg_conn* m_connection = nullptr;
};

}  // namespace kovagenerate
