#pragma once
// One session of a PostgreSQL server through libpq, for what ODBC cannot do:
// COPY ... FROM STDIN, fed with rows as they are made.
#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

struct pg_conn;

namespace kovagenerate {

using PgSettings = std::vector<std::pair<QByteArray, QByteArray>>;

// The settings a libpq connection string ("host=... port=...", or a
// postgresql:// URI) names; none, with libpq's reason in *error, when it
// cannot be read.
std::optional<PgSettings> ParsePgConnection(const QString& text, QString* error);

class PgCopy {
public:
    PgCopy() = default;
    ~PgCopy();
    PgCopy(const PgCopy&) = delete;
    PgCopy& operator=(const PgCopy&) = delete;

    // Connects with libpq's keywords and values (of a keyword given twice,
    // the last). Empty when connected, else the server's or libpq's message.
    QString connect(const PgSettings& settings);
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
