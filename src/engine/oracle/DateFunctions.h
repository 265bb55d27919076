#pragma once
// DATE arithmetic and date functions of the embedded engine: KOVA_ADD,
// KOVA_SUB, KOVA_DIV and KOVA_MUL (what +, - and / and * become, see
// RewriteStatement in OracleDialect.h), KOVA_NUMBER (what SUM and AVG add
// up), ADD_MONTHS, LAST_DAY, TRUNC, ROUND.
struct sqlite3;

// Returns false when a function could not be registered.
bool RegisterDateFunctions(sqlite3* db);
