#include "engine/oracle/CatalogRows.h"

#include "engine/SqliteEngine.h"

#include <QScopeGuard>

#include <sqlite3.h>

namespace CatalogRows {
namespace {

// The rows; on failure raises the engine's error, or returns false without one.
bool Query(sqlite3* db, const SqliteEngine* engine, const std::string& sql, const std::vector<std::string>& binds,
           std::vector<Row>* out)
{
    sqlite3_stmt* stmt = nullptr;
    const auto release = qScopeGuard([&stmt] { sqlite3_finalize(stmt); });
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
        if (engine)
            engine->raise();
        return false;
    }
    for (std::size_t i = 0; i < binds.size(); ++i)
        sqlite3_bind_text(stmt, static_cast<int>(i + 1), binds[i].data(), static_cast<int>(binds[i].size()),
                          SQLITE_TRANSIENT);
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        Row& row = out->emplace_back();
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
            const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
            row.push_back(value ? std::optional<std::string>(value) : std::nullopt);
        }
    }
    if (rc == SQLITE_DONE)
        return true;
    if (engine)
        engine->raise();
    return false;
}

}  // namespace

std::vector<Row> Rows(SqliteEngine& engine, const std::string& sql, const std::vector<std::string>& binds)
{
    std::vector<Row> rows;
    Query(engine.handle(), &engine, sql, binds, &rows);
    return rows;
}

std::vector<Row> TryRows(sqlite3* db, const std::string& sql, const std::vector<std::string>& binds)
{
    std::vector<Row> rows;
    if (!Query(db, nullptr, sql, binds, &rows))
        rows.clear();
    return rows;
}

bool HasTable(sqlite3* db, const std::string& name)
{
    return !TryRows(db, "SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND name = ?1", {name}).empty();
}

}  // namespace CatalogRows
