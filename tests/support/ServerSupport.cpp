#include "support/ServerSupport.h"

#include "engine/OdbcEngine.h"
#include "session/OraDatabase.h"
#include "session/OraError.h"
#include "session/OraSession.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>

using namespace Qt::StringLiterals;

namespace kovatest {

namespace {

std::atomic<int> g_databaseNumber{0};

QString Env(const char* name)
{
    return qEnvironmentVariable(name);
}

// Runs one statement on the server's maintenance database.
void Maintain(const ServerSettings& server, const QString& sql)
{
    const QString name = u"kova-test-maintenance"_s;
    {
        QSqlDatabase db = QSqlDatabase::contains(name) ? QSqlDatabase::database(name)
                                                       : QSqlDatabase::addDatabase(u"QODBC"_s, name);
        db.setDatabaseName(
            OdbcEngine::QodbcDatabaseName(OdbcEngine::ConnectionString(server.dsn, server.user, server.password)));
        if (!db.isOpen() && !db.open())
            qFatal("cannot reach the test server: %s", qUtf8Printable(db.lastError().text()));
        QSqlQuery query(db);
        if (!query.exec(sql)) {
            // A server restarted by a test leaves this connection broken once.
            db.close();
            if (!db.open() || !QSqlQuery(db).exec(sql))
                qFatal("%s failed: %s", qUtf8Printable(sql), qUtf8Printable(query.lastError().text()));
        }
    }
}

}  // namespace

std::optional<ServerSettings> Server()
{
    ServerSettings settings{Env("KOVA_PG_DSN"), Env("KOVA_PG_USER"), Env("KOVA_PG_PASSWORD"),
                            Env("KOVA_PG_TEMPLATE"), Env("KOVA_PG_CONTROL")};
    if (settings.dsn.isEmpty() || settings.templateName.isEmpty())
        return std::nullopt;
    return settings;
}

bool ServerRequired()
{
    return Env("KOVA_PG_REQUIRED") == u"1"_s;
}

QString ServerDdl(const QString& oracleDdl)
{
    static const QRegularExpression number(u"\\bNUMBER\\b"_s, QRegularExpression::CaseInsensitiveOption);
    return QString(oracleDdl).replace(number, u"NUMERIC"_s);
}

TestDatabase OpenServerDatabase(const QStringList& statements)
{
    const std::optional<ServerSettings> server = Server();
    if (!server)
        qFatal("no test server");
    const QString name =
        u"kova_t_%1_%2"_s.arg(QCoreApplication::applicationPid()).arg(++g_databaseNumber);
    Maintain(*server, u"CREATE DATABASE "_s + name + u" TEMPLATE "_s + server->templateName);
    TestDatabase result;
    result.path = name;
    result.dropper = std::shared_ptr<void>(nullptr, [settings = *server, name](void*) {
        Maintain(settings, u"DROP DATABASE IF EXISTS "_s + name + u" WITH (FORCE)"_s);
    });
    result.session = std::make_shared<OraSession>();
    result.database = result.session->DbOpenDatabase(u"DSN="_s + server->dsn + u";Database="_s + name,
                                                     server->user + u"/"_s + server->password);
    for (const QString& statement : statements) {
        try {
            result.database->DbExecuteSQL(ServerDdl(statement));
        } catch (const OraError& error) {
            qFatal("setting up the test database failed: %s\n%s", qUtf8Printable(statement),
                   qUtf8Printable(error.message()));
        }
    }
    return result;
}

TestDatabase OpenEngineDatabase(const QString& engine, const QTemporaryDir& dir, const QStringList& statements)
{
    return engine == u"postgres"_s ? OpenServerDatabase(statements) : OpenTestDatabase(dir, statements);
}

bool ControlServer(const QString& action)
{
    const std::optional<ServerSettings> server = Server();
    if (!server || server->control.isEmpty())
        return false;
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(server->control, {action});
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit
           && process.exitCode() == 0;
}

QString Psql(const QString& database, const QStringList& args, const QString& folder)
{
    const ServerSettings server = *Server();
    QString psql = QStandardPaths::findExecutable(u"psql"_s);
    if (psql.isEmpty())
        psql = u"/usr/lib/postgresql/15/bin/psql"_s;
    QProcess load;
    load.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"PGPASSWORD"_s, server.password);
    load.setProcessEnvironment(environment);
    load.start(psql, QStringList{u"-X"_s, u"-q"_s, u"-h"_s, u"127.0.0.1"_s, u"-p"_s, qEnvironmentVariable("KOVA_PG_PORT"),
                      u"-v"_s, u"ON_ERROR_STOP=1"_s, u"-U"_s, server.user, u"-d"_s, database} + args);
    if (!load.waitForFinished(60000))
        return u"psql did not finish"_s;
    return load.exitCode() == 0 ? QString() : QString::fromUtf8(load.readAllStandardError());
}


}  // namespace kovatest
