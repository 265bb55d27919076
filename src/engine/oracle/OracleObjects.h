#pragma once
// What Oracle's scripts create beside tables and views, on the embedded
// engine: row triggers that fill columns are kept and run (OracleTriggers);
// a materialized view whose query the engine runs becomes a view, its
// refresh, build and storage clauses dropped; a materialized view log is
// accepted with no effect; a dimension is kept as metadata with no effect.
// PL/SQL beyond those triggers (procedures, functions, packages, other
// triggers) and object types (CREATE TYPE, object tables and views, XMLType
// columns, nested tables) are refused with one line that names the
// construct.
#include <string>
#include <string_view>

class EngineError;
class SqliteEngine;

namespace OracleObjects {

inline constexpr const char* DimensionsTable = "KOVA$DIMENSIONS";
// The names of the views that were made as materialized views.
inline constexpr const char* MaterializedViewsTable = "KOVA$MVIEWS";

// The line a refused construct gets: "ORA-00900: invalid SQL statement:
// `construct` - ...".
std::string OutsideLine(const std::string& construct);

// Runs `sql` when it is one of the statements above; sets `instead` to the
// DDL that runs in its place (a materialized view's CREATE VIEW) and
// returns false, or returns false leaving it empty when `sql` is none of
// them. Throws EngineError.
bool Run(SqliteEngine& engine, std::string_view sql, std::string* instead);

// A statement SQLite could not read (`error`, ORA-00900) said in Oracle's
// terms where the reason is known: a construct of object types or
// collections gets its line, a DML statement on a table the file does not
// hold ORA-00942. Otherwise `error` itself. Always throws.
[[noreturn]] void ExplainUnread(SqliteEngine& engine, std::string_view sql, const EngineError& error);

// Whether `sql`, which holds more than one ";", is a unit of PL/SQL (a
// trigger, procedure, package, type ...) that Run answers.
bool IsProgramUnit(std::string_view sql);

}  // namespace OracleObjects
