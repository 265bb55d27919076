#pragma once
// Small queries of the dialect on the engine's own catalogue tables: texts
// bound to ?1, ?2 ..., every value read as text.
#include <optional>
#include <string>
#include <vector>

class SqliteEngine;
struct sqlite3;

namespace CatalogRows {

using Row = std::vector<std::optional<std::string>>;

// Runs `sql` as written (no Oracle words rewritten); raises the engine's
// error.
std::vector<Row> Rows(SqliteEngine& engine, const std::string& sql, const std::vector<std::string>& binds = {});
// The same on a bare connection; no rows when it fails.
std::vector<Row> TryRows(sqlite3* db, const std::string& sql, const std::vector<std::string>& binds = {});
// Whether a table of that name is in the file.
bool HasTable(sqlite3* db, const std::string& name);

}  // namespace CatalogRows
