#pragma once
// The Oracle dialect's one door: the embedded engine's core (connection,
// statement running, history, statistics) includes this header and nothing
// else of engine/oracle/. Behind it: the DDL reader and table rebuilds
// (OracleSchema), the row checks of bound INSERTs (InsertChecks), column
// types (OracleTypes), stored dates (OracleDateFormat), functions and
// dictionary views, row triggers (OracleTriggers) and the other objects of
// Oracle's scripts (OracleObjects).
//
// Installs the Oracle dialect on an embedded connection: the data dictionary as
// TEMP views (USER_TABLES, USER_VIEWS, USER_TAB_COLUMNS, USER_CONSTRAINTS,
// USER_CONS_COLUMNS, DUAL) and TEMP triggers that refuse, per table, the rows
// Oracle refuses (NOT NULL, declared lengths, NUMBER precision, invalid numbers
// and dates) and store values as Oracle stores them (NUMBER rounded to its
// scale, CHAR blank-padded, the empty string as NULL). Nothing is written into
// the database file.
#include "engine/oracle/InsertChecks.h"
#include "engine/oracle/OracleDateFormat.h"
#include "engine/oracle/OracleObjects.h"
#include "engine/oracle/OracleSchema.h"
#include "engine/oracle/OracleTriggers.h"
#include "engine/oracle/OracleTypes.h"

#include <string>
#include <string_view>
#include <vector>

struct LexedStatement;

struct sqlite3;

namespace OracleDialect {

// The table that keeps the figures of ANALYZE; the only thing of the dialect
// that lives in the user's file, created by the first ANALYZE.
inline constexpr const char* StatisticsTable = "KOVA$TABLE_STATISTICS";

// Functions, pragmas, views and triggers; run once per connection. `owner` is
// the logged-in user, reported as OWNER.
bool Install(sqlite3* db, const std::string& owner, std::string* error);

// Views and triggers again, after the schema changed.
bool Refresh(sqlite3* db, const std::string& owner, std::string* error);

// A query or DML statement (as the lexer gives it) in the terms SQLite runs:
// owners before table names (dropped: the file holds one schema), aliases of UPDATE and DELETE, ROWNUM, arithmetic that knows
// DATE values, DATE literals. A changed text loses its shared form. Throws
// EngineError for a statement refused.
void Rewrite(LexedStatement* lexed);

// MERGE INTO t USING s ON (c) WHEN MATCHED THEN UPDATE ... WHEN NOT MATCHED
// THEN INSERT ...: the statements that do its work, in order, to run as one
// (inside a savepoint); `counts` marks those whose changed rows are the
// merged rows Oracle reports. False with `error` set for a MERGE the engine
// cannot run.
struct MergeStep {
    std::string prefix;  // put before `sql` once that is rewritten (see Rewrite)
    std::string sql;
    bool counts = false;
};
bool TranslateMerge(std::string_view sql, std::vector<MergeStep>* steps, std::string* error);

// SQL quoting helpers.
std::string QuoteName(const std::string& name);
std::string QuoteText(const std::string& text);
// ASCII letters in capitals, as Oracle keeps an unquoted name.
std::string Upper(std::string text);

}  // namespace OracleDialect
