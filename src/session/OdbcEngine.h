#pragma once
// Servers reached through ODBC (a DSN, or a connection string containing "=")
// with Qt's QODBC driver; with Oracle's ODBC driver this is a real Oracle
// server. Statements are passed through as written.
#include "session/OraEngine.h"

#include <QSqlDatabase>

class OdbcEngine : public OraEngine {
public:
    static std::shared_ptr<OdbcEngine> open(const QString& service, const QString& user,
                                            const QString& password);
    ~OdbcEngine() override;
    OdbcEngine(const OdbcEngine&) = delete;
    OdbcEngine& operator=(const OdbcEngine&) = delete;

    std::unique_ptr<OraCursor> openCursor(const QString& sql) override;
    qint64 execute(const QString& sql) override;
    qint64 countRows(const QString& sql) override;
    void beginTransaction() override;
    void commit() override;
    void rollback() override;

private:
    OdbcEngine() = default;

    QString m_connectionName;
    QSqlDatabase m_database;
};
