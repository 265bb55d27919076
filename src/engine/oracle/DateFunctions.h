#pragma once
// DATE arithmetic and date functions of the embedded engine: KOVA_ADD,
// KOVA_SUB and KOVA_DIV (what +, - and / become, see RewriteStatement in
// OracleDialect.h), ADD_MONTHS, LAST_DAY, TRUNC.
struct sqlite3;

// Returns false when a function could not be registered.
bool RegisterDateFunctions(sqlite3* db);
