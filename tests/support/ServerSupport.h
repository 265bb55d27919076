#pragma once
// The PostgreSQL server of a test run, reached over ODBC. scripts/test starts
// one (scripts/pg-cluster) and names it in the environment; without it the
// server's cases skip, unless KOVA_PG_REQUIRED says the run must have one.
#include "support/TestSupport.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace kovatest {

struct ServerSettings {
    QString dsn;           // the data source of the private odbc.ini
    QString user;
    QString password;
    QString templateName;  // the database each test clones
    QString control;       // "control stop" / "control start"
};

// The server named by the environment, if any.
std::optional<ServerSettings> Server();
// True when the run must have the server (its absence is then a failure).
bool ServerRequired();

// Oracle's DDL in PostgreSQL's words: NUMBER becomes NUMERIC (DATE, CHAR and
// VARCHAR2 are understood there through the compatibility script).
QString ServerDdl(const QString& oracleDdl);

// A fresh database cloned from the template, opened through a session with
// the connection string "DSN=...;Database=...", `statements` run on it (each
// must succeed, after ServerDdl). The database is dropped when the returned
// value and its copies are gone.
TestDatabase OpenServerDatabase(const QStringList& statements = {});

// The database an engine of the suite runs on: "embedded" (a file in `dir`)
// or "postgres".
TestDatabase OpenEngineDatabase(const QString& engine, const QTemporaryDir& dir,
                                const QStringList& statements = {});

// Runs psql with `args` in `folder` on the test server's database
// `database`: empty when it worked, else what psql wrote.
QString Psql(const QString& database, const QStringList& args, const QString& folder = {});

// Stops the server at once ("stop") or starts it again and waits for it
// ("start"). False when the command failed.
bool ControlServer(const QString& action);

}  // namespace kovatest

// In a test function: skips the case without a server (fails when one is
// required).
#define KOVA_NEED_SERVER()                                                         \
    do {                                                                           \
        if (!kovatest::Server()) {                                                 \
            if (kovatest::ServerRequired())                                        \
                QFAIL("KOVA_PG_REQUIRED is set but no PostgreSQL server is named"); \
            QSKIP("no PostgreSQL server (run through scripts/test)");              \
        }                                                                          \
    } while (false)
