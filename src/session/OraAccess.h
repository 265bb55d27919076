#pragma once
// The session objects of the program-wide module and the routines every window
// uses to reach the database.
#include "session/OraDatabase.h"
#include "session/OraSession.h"

#include <QString>

#include <memory>

namespace basKovaData {

// Created at login, released when the main window closes.
extern std::shared_ptr<::OraSession> OraSession;
extern std::shared_ptr<::OraDatabase> OraDatabase;

// The only program identifier the access layer answers to.
inline constexpr const char* OraSessionProgId = "OracleInProcServer.XOraSession";

// Creates OraSession and opens OraDatabase. Returns false on success; on any
// error it empties OraDatabase and returns true. The database's message of the
// last failure is kept in LastOpenError.
bool OpenOracleDatabase(const QString& service, const QString& connect, const QString& progId);
extern QString LastOpenError;

// The table (`column` empty) or its column as statements on OraDatabase name
// it (OraDatabase::Name); without a database, the shown name as it is.
ServerName ServerNameOf(const QString& table, const QString& column = {});
inline QString ServerSql(const QString& table, const QString& column = {})
{
    return ServerNameOf(table, column).sql;
}

// Rows processed by the statement, or -1 on any error (no database included).
qint64 ExecuteSql(::OraDatabase* database, const QString& sql);

}  // namespace basKovaData
