#include "engine/oracle/OracleObjects.h"

#include "engine/EngineError.h"
#include "engine/oracle/CatalogRows.h"
#include "engine/oracle/OracleDialect.h"
#include "engine/oracle/OracleTriggers.h"
#include "engine/oracle/PlacedTokens.h"
#include "engine/SqlLexer.h"
#include "engine/SqliteEngine.h"

#include <sqlite3.h>

namespace OracleObjects {
namespace {

using CatalogRows::Rows;
using OracleDialect::QuoteName;
using PlacedTokens::IsName;
using PlacedTokens::IsSymbol;
using PlacedTokens::IsWord;
using PlacedTokens::Tokens;

[[noreturn]] void Refuse(const std::string& construct)
{
    throw EngineError(QString::fromStdString(OutsideLine(construct)));
}

// The object's name at i ([owner.]name, the owner dropped); i moved past it.
std::string NameAt(const Tokens& t, std::size_t* i)
{
    if (!IsName(t, *i))
        throw EngineError(QStringLiteral("ORA-00903: invalid table name"));
    std::string name = t[*i].text;
    ++*i;
    if (IsSymbol(t, *i, ".") && IsName(t, *i + 1)) {
        name = t[*i + 1].text;
        *i += 2;
    }
    return name;
}

// The word after CREATE [OR REPLACE] [EDITIONABLE ...] and its index.
std::size_t CreatedKind(const Tokens& t, bool* replace)
{
    std::size_t i = 1;
    *replace = false;
    if (IsWord(t, i, "OR") && IsWord(t, i + 1, "REPLACE")) {
        *replace = true;
        i += 2;
    }
    while (IsWord(t, i, "EDITIONABLE") || IsWord(t, i, "NONEDITIONABLE") || IsWord(t, i, "EDITIONING")
           || IsWord(t, i, "FORCE") || IsWord(t, i, "NOFORCE") || IsWord(t, i, "NO"))
        ++i;
    return i;
}

bool IsUnitWord(const Tokens& t, std::size_t i)
{
    for (const char* word : {"PROCEDURE", "FUNCTION", "PACKAGE", "TYPE", "LIBRARY", "JAVA", "TRIGGER"}) {
        if (IsWord(t, i, word))
            return true;
    }
    return false;
}

std::string UnitName(const Tokens& t, std::size_t i)
{
    return t[i].text + (IsWord(t, i + 1, "BODY") ? " BODY" : "");
}

std::size_t StatementEnd(const Tokens& t)
{
    return IsSymbol(t, t.size() - 1, ";") ? t.back().begin : t.back().end;
}

// CREATE [UNIQUE | BITMAP] INDEX name ON table at `i`: true, doing
// nothing, for the index of a materialized view (a view here); a plain
// view cannot be indexed (ORA-01702); false for a table's.
bool IndexOfView(SqliteEngine& engine, const Tokens& t, std::size_t i)
{
    i += IsWord(t, i, "INDEX") ? 1 : 2;
    NameAt(t, &i);
    if (!IsWord(t, i, "ON"))
        return false;
    ++i;
    const std::string table = NameAt(t, &i);
    if (Rows(engine, "SELECT 1 FROM main.sqlite_master WHERE type = 'view' AND name = ?1 COLLATE NOCASE", {table})
            .empty())
        return false;
    const bool materialized =
        !Rows(engine, "SELECT 1 FROM main.sqlite_master WHERE name = ?1", {MaterializedViewsTable}).empty()
        && !Rows(engine, std::string("SELECT 1 FROM main.") + QuoteName(MaterializedViewsTable)
                             + " WHERE MVIEW_NAME = upper(?1)", {table}).empty();
    if (!materialized)
        throw EngineError(QStringLiteral("ORA-01702: a view is not appropriate here"));
    return true;
}

// CREATE MATERIALIZED VIEW name [(columns)] [clauses] AS query: the view
// over the query, or the refusal when the engine cannot run the query.
std::string MaterializedView(SqliteEngine& engine, std::string_view sql, const Tokens& t, std::size_t i)
{
    const std::size_t nameAt = i;
    const std::string name = NameAt(t, &i);
    std::string created = "CREATE VIEW " + std::string(sql.substr(t[nameAt].begin, t[i - 1].end - t[nameAt].begin));
    if (IsSymbol(t, i, "(") && IsName(t, i + 1) && (IsSymbol(t, i + 2, ",") || IsSymbol(t, i + 2, ")"))) {
        std::size_t close = i;
        while (close < t.size() && !IsSymbol(t, close, ")"))
            ++close;
        if (close >= t.size())
            throw EngineError(QStringLiteral("ORA-00907: missing right parenthesis"));
        created += " " + std::string(sql.substr(t[i].begin, t[close].end - t[i].begin));
        i = close + 1;
    }
    int depth = 0;
    for (; i < t.size(); ++i) {
        if (IsSymbol(t, i, "("))
            ++depth;
        else if (IsSymbol(t, i, ")"))
            --depth;
        else if (depth == 0 && IsWord(t, i, "AS")
                 && (IsWord(t, i + 1, "SELECT") || IsWord(t, i + 1, "WITH") || IsSymbol(t, i + 1, "(")))
            break;
    }
    if (i + 1 >= t.size())
        throw EngineError(QStringLiteral("ORA-00905: missing keyword"));
    const std::string query(sql.substr(t[i + 1].begin, StatementEnd(t) - t[i + 1].begin));
    const std::string probe = LexStatement("SELECT * FROM (" + query + "\n)").text;
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v2(engine.handle(), probe.c_str(), -1, &stmt, nullptr);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_OK) {
        const std::string message = sqlite3_errmsg(engine.handle());
        if (message.find("syntax error") != std::string::npos || message.find("no such function") != std::string::npos)
            Refuse("a materialized view whose query the engine cannot run");
    }
    // Its indexes (an MV's, unlike a view's) are taken with no effect.
    Rows(engine, std::string("CREATE TABLE IF NOT EXISTS main.") + QuoteName(MaterializedViewsTable)
                     + " (MVIEW_NAME TEXT PRIMARY KEY)");
    Rows(engine, std::string("INSERT OR REPLACE INTO main.") + QuoteName(MaterializedViewsTable) + " VALUES (upper(?1))",
         {name});
    return created + " AS " + query;
}

void Dimension(SqliteEngine& engine, std::string_view sql, const Tokens& t, std::size_t i, bool replace)
{
    const std::string name = OracleDialect::Upper(NameAt(t, &i));
    if (!IsWord(t, i, "LEVEL"))
        throw EngineError(QStringLiteral("ORA-00905: missing keyword"));
    const bool kept = CatalogRows::HasTable(engine.handle(), DimensionsTable);
    if (kept && !Rows(engine, "SELECT 1 FROM main.\"KOVA$DIMENSIONS\" WHERE DIMENSION_NAME = ?1", {name}).empty()) {
        if (!replace)
            throw EngineError(QStringLiteral("ORA-00955: name is already used by an existing object"));
        Rows(engine, "DELETE FROM main.\"KOVA$DIMENSIONS\" WHERE DIMENSION_NAME = ?1", {name});
    }
    Rows(engine, "CREATE TABLE IF NOT EXISTS main.\"KOVA$DIMENSIONS\" (DIMENSION_NAME TEXT PRIMARY KEY, TEXT TEXT)");
    Rows(engine, "INSERT INTO main.\"KOVA$DIMENSIONS\" VALUES (?1, ?2)",
         {name, std::string(sql.substr(0, StatementEnd(t)))});
}

void DropDimension(SqliteEngine& engine, const Tokens& t, std::size_t i)
{
    const std::string name = OracleDialect::Upper(NameAt(t, &i));
    if (!CatalogRows::HasTable(engine.handle(), DimensionsTable)
        || Rows(engine, "SELECT 1 FROM main.\"KOVA$DIMENSIONS\" WHERE DIMENSION_NAME = ?1", {name}).empty())
        throw EngineError(QStringLiteral("ORA-30333: dimension does not exist"));
    Rows(engine, "DELETE FROM main.\"KOVA$DIMENSIONS\" WHERE DIMENSION_NAME = ?1", {name});
}

// CREATE TABLE of an object type, with XMLType columns or nested tables.
void CheckTable(const Tokens& t, std::size_t i)
{
    NameAt(t, &i);
    if (IsWord(t, i, "OF"))
        Refuse("an object table (CREATE TABLE ... OF type)");
    for (std::size_t k = i; k < t.size(); ++k) {
        if (IsName(t, k) && t[k].text == "XMLTYPE")
            Refuse("an XMLType column");
        if (IsWord(t, k, "NESTED") && IsWord(t, k + 1, "TABLE"))
            Refuse("a nested table");
        if (IsWord(t, k, "VARRAY"))
            Refuse("a VARRAY column");
    }
}

}  // namespace

std::string OutsideLine(const std::string& construct)
{
    return "ORA-00900: invalid SQL statement: " + construct
           + " - the embedded engine keeps no PL/SQL beyond row triggers that fill columns, and no object types";
}

void ExplainUnread(SqliteEngine& engine, std::string_view sql, const EngineError& error)
{
    if (!error.message().startsWith(QStringLiteral("ORA-00900")))
        throw error;
    const Tokens t = PlaceTokens(sql);
    for (std::size_t i = 0; i + 1 < t.size(); ++i) {
        if (t[i].kind != SqlToken::Kind::Word || !(t[i + 1].kind == SqlToken::Kind::Symbol && t[i + 1].text == "("))
            continue;
        if (t[i].text == "MULTISET")
            Refuse("a collection (MULTISET)");
        if (t[i].text == "TREAT" || t[i].text == "DEREF" || t[i].text == "REF" || t[i].text == "VALUE")
            Refuse("an object reference (" + t[i].text + ")");
        if (t[i].text == "XMLTYPE" || t[i].text == "XMLELEMENT" || t[i].text == "EXTRACTVALUE")
            Refuse("XMLType (" + t[i].text + ")");
    }
    // The table a DML statement writes: INSERT INTO t, UPDATE t, DELETE [FROM] t.
    std::size_t k = IsWord(t, 0, "INSERT") && IsWord(t, 1, "INTO") ? 2
                    : IsWord(t, 0, "UPDATE")                         ? 1
                    : IsWord(t, 0, "DELETE")                         ? (IsWord(t, 1, "FROM") ? 2 : 1)
                                                                     : 0;
    if (k > 0 && k < t.size()) {
        const std::string name = NameAt(t, &k);
        if (!name.empty()
            && Rows(engine, "SELECT 1 FROM main.sqlite_master WHERE type IN ('table', 'view') AND name = ?1 "
                            "COLLATE NOCASE", {name}).empty())
            throw EngineError(QStringLiteral("ORA-00942: table or view does not exist (%1)")
                                  .arg(QString::fromStdString(OracleDialect::Upper(name))));
    }
    throw error;
}

bool IsProgramUnit(std::string_view sql)
{
    const Tokens t = PlaceTokens(sql.substr(0, 200));
    bool replace = false;
    return IsWord(t, 0, "CREATE") && IsUnitWord(t, CreatedKind(t, &replace));
}

bool Run(SqliteEngine& engine, std::string_view sql, std::string* instead)
{
    instead->clear();
    if (OracleTriggers::Run(engine, sql))
        return true;
    const Tokens t = PlaceTokens(sql);
    if (IsWord(t, 0, "CREATE")) {
        bool replace = false;
        const std::size_t i = CreatedKind(t, &replace);
        if (IsUnitWord(t, i))
            Refuse("CREATE " + UnitName(t, i));
        if (IsWord(t, i, "TABLE"))
            CheckTable(t, i + 1);
        if (IsWord(t, i + (IsWord(t, i, "UNIQUE") || IsWord(t, i, "BITMAP") ? 1 : 0), "INDEX"))
            return IndexOfView(engine, t, i);
        if (IsWord(t, i, "VIEW")) {
            std::size_t k = i + 1;
            NameAt(t, &k);
            if (IsWord(t, k, "OF"))
                Refuse("an object view (CREATE VIEW ... OF type)");
        }
        if (IsWord(t, i, "MATERIALIZED") && IsWord(t, i + 1, "VIEW")) {
            if (IsWord(t, i + 2, "LOG"))
                return true;  // no refresh to log for
            *instead = MaterializedView(engine, sql, t, i + 2);
            return false;
        }
        if (IsWord(t, i, "DIMENSION")) {
            Dimension(engine, sql, t, i + 1, replace);
            return true;
        }
        // A folder of the server's for its loaders and files: none here.
        return IsWord(t, i, "DIRECTORY");
    }
    if (IsWord(t, 0, "DROP")) {
        if (IsUnitWord(t, 1)) {
            std::size_t i = IsWord(t, 2, "BODY") ? 3 : 2;
            const std::string name = NameAt(t, &i);
            throw EngineError(QStringLiteral("ORA-04043: object %1 does not exist").arg(QString::fromStdString(name)));
        }
        if (IsWord(t, 1, "MATERIALIZED") && IsWord(t, 2, "VIEW")) {
            if (IsWord(t, 3, "LOG"))
                return true;
            std::size_t i = 3;
            const std::size_t from = i;
            NameAt(t, &i);
            *instead = "DROP VIEW " + std::string(sql.substr(t[from].begin, t[i - 1].end - t[from].begin));
            return false;
        }
        if (IsWord(t, 1, "DIMENSION")) {
            DropDimension(engine, t, 2);
            return true;
        }
        return IsWord(t, 1, "DIRECTORY");
    }
    if (IsWord(t, 0, "ALTER")) {
        if ((IsWord(t, 1, "MATERIALIZED") && IsWord(t, 2, "VIEW")) || IsWord(t, 1, "DIMENSION"))
            return true;  // refresh and level changes: nothing to do
        if (IsWord(t, 1, "VIEW")) {
            std::size_t i = 2;
            const std::string name = NameAt(t, &i);
            if (IsWord(t, i, "COMPILE") && i + 1 >= t.size()) {  // a view is never invalid here
                if (Rows(engine, "SELECT 1 FROM main.sqlite_master WHERE type = 'view' AND name = ?1 COLLATE NOCASE",
                         {name}).empty())
                    throw EngineError(QStringLiteral("ORA-00942: table or view does not exist (%1)")
                                          .arg(QString::fromStdString(OracleDialect::Upper(name))));
                return true;
            }
        }
        if (IsUnitWord(t, 1)) {
            std::size_t i = 2;
            throw EngineError(QStringLiteral("ORA-04043: object %1 does not exist")
                                  .arg(QString::fromStdString(NameAt(t, &i))));
        }
    }
    return false;
}

}  // namespace OracleObjects
