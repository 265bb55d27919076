#pragma once
// The data dictionary of the embedded engine as TEMP views, over SQLite's
// schema and the engine's catalogue tables: USER_TABLES, USER_VIEWS,
// USER_TAB_COLUMNS, USER_CONSTRAINTS, USER_CONS_COLUMNS, USER_SEQUENCES,
// USER_TAB_COMMENTS, USER_COL_COMMENTS, USER_TAB_IDENTITY_COLS, USER_TRIGGERS,
// USER_ERRORS and ALL_ERRORS (always empty), DUAL, and the column statistics
// that ANALYZE keeps: USER_TAB_COL_STATISTICS and USER_HISTOGRAMS.
#include <set>
#include <string>

namespace OracleDictionary {

inline constexpr const char* ViewNames[] = {
    "DUAL", "USER_TABLES", "USER_VIEWS", "USER_TAB_COLUMNS", "USER_CONSTRAINTS", "USER_CONS_COLUMNS",
    "USER_SEQUENCES", "USER_TAB_COMMENTS", "USER_COL_COMMENTS", "USER_TAB_IDENTITY_COLS", "USER_TRIGGERS",
    "ALL_ERRORS", "USER_ERRORS", "USER_TAB_COL_STATISTICS", "USER_HISTOGRAMS"};

// The user's own tables and views of main.sqlite_master m: neither SQLite's
// nor the engine's catalogue.
inline const std::string UserObjects =
    "m.name NOT LIKE 'sqlite\\_%' ESCAPE '\\' AND upper(m.name) NOT LIKE 'KOVA$%'";

// CREATE TEMP VIEW statements; `catalog` names the catalogue tables
// (KOVA$...) the file holds.
std::string Views(const std::string& owner, const std::set<std::string>& catalog);

}  // namespace OracleDictionary
