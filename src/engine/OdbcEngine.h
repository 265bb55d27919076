#pragma once
// Servers reached through ODBC (a DSN, or a connection string containing "=")
// with Qt's QODBC driver; with Oracle's ODBC driver this is a real Oracle
// server. Oracle gets the program's statements as written; another server gets
// them in its own words (ServerDialect).
#include "engine/OraEngine.h"
#include "engine/ServerDialect.h"

#include <QHash>
#include <QSqlDatabase>

#include <optional>

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
    bool connectionLost() const override;
    // The server ran out of a resource (memory, its lock table, disk space):
    // no row can succeed until the transaction ends.
    bool lastErrorWasStorage() const override { return m_outOfResources; }
    // Whether a server's message says that it ran out of such a resource.
    static bool OutOfResources(const QString& message);
    // Parameter arrays when the driver has them (OdbcBatch).
    std::unique_ptr<OraBatch> prepareBatch(const QString& sql, int parameters) override;

    ServerKind serverKind() const { return m_server; }

    // On PostgreSQL the dictionary views show names in capitals; the name
    // the server holds comes from its catalogue (kova_oracle.kova_names),
    // read once per table and forgotten when a statement may change the
    // schema and when a transaction begins (another session may have changed
    // it). A name the catalogue does not hold stays as it is shown.
    ServerName serverName(const QString& table, const QString& column) override;

    // The connection string handed to the driver: "DSN=" + service for a data
    // source name, the service itself when it is a connection string; then
    // UID and PWD, each in braces when it holds a character that would end or
    // open an attribute.
    static QString ConnectionString(const QString& service, const QString& user, const QString& password);
    // What QSqlDatabase::setDatabaseName must be given for QODBC to pass
    // `connectionString` to the driver unchanged.
    static QString QodbcDatabaseName(const QString& connectionString);

private:
    OdbcEngine() = default;

    struct TableNames {
        ServerName table;
        QHash<QString, ServerName> columns;  // by the names shown
    };
    // The names of the table shown as `table`, none when the server holds
    // no such table (or cannot say).
    const TableNames* tableNames(const QString& table);
    // Forgets the names read when `sql` may create, change or drop a table.
    void forgetNamesAfter(const QString& sql);

    QString m_connectionName;
    QSqlDatabase m_database;
    void* m_connection = nullptr;  // the driver's connection handle
    ServerKind m_server = ServerKind::Other;
    bool m_arrays = false;  // the driver runs parameter arrays
    bool m_outOfResources = false;
    std::optional<bool> m_hasNameView;  // the server has kova_oracle.kova_names
    QHash<QString, TableNames> m_names;  // by the table's name shown
};
