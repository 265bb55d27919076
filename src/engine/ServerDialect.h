#pragma once
// The program speaks Oracle's SQL. A server reached through ODBC that is not
// Oracle gets the statement in its own words here; Oracle gets it unchanged.
#include <QString>

enum class ServerKind { Oracle, PostgreSQL, Other };

// The kind of server from the DBMS name its ODBC driver reports.
ServerKind ServerKindFromName(const QString& dbmsName);

// The statement as `kind` must receive it. Throws EngineError when the text holds
// no statement or more than one. A trailing ";" is dropped for every server.
// For PostgreSQL (with the orafce extension and our dictionary script):
//  - "ANALYZE TABLE t COMPUTE STATISTICS" (or ESTIMATE STATISTICS ...) becomes
//    "ANALYZE t";
//  - SYSDATE without parentheses becomes (SYSDATE()), MINUS becomes EXCEPT.
QString ServerStatement(ServerKind kind, const QString& sql);
