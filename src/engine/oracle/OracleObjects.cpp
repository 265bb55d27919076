#include "engine/oracle/OracleObjects.h"

#include "engine/EngineError.h"
#include "engine/oracle/CatalogRows.h"
#include "engine/oracle/OracleDialect.h"
#include "engine/oracle/OracleTriggers.h"
#include "engine/SqlLexer.h"
#include "engine/SqliteEngine.h"

#include <sqlite3.h>

namespace OracleObjects {
namespace {

using CatalogRows::Rows;
using OracleDialect::QuoteName;
using Tokens = std::vector<PlacedToken>;

bool IsWord(const Tokens& t, std::size_t i, std::string_view word)
{
    return i < t.size() && t[i].kind == SqlToken::Kind::Word && t[i].text == word;
}

bool IsSymbol(const Tokens& t, std::size_t i, std::string_view symbol)
{
    return i < t.size() && t[i].kind == SqlToken::Kind::Symbol && t[i].text == symbol;
}

bool IsName(const Tokens& t, std::size_t i)
{
    return i < t.size() && (t[i].kind == SqlToken::Kind::Word || t[i].kind == SqlToken::Kind::QuotedName);
}

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

// CREATE MATERIALIZED VIEW name [(columns)] [clauses] AS query: the view
// over the query, or the refusal when the engine cannot run the query.
std::string MaterializedView(SqliteEngine& engine, std::string_view sql, const Tokens& t, std::size_t i)
{
    const std::size_t nameAt = i;
    NameAt(t, &i);
    std::string created = "CREATE VIEW " + std::string(sql.substr(t[nameAt].begin, t[i - 1].end - t[nameAt].begin));
    if (IsSymbol(t, i, "(") && IsName(t, i + 1) && (IsSymbol(t, i + 2, ",") || IsSymbol(t, i + 2, ")"))) {
        std::size_t close = i;
        while (close < t.size() && !IsSymbol(t, close, ")"))
            ++close;
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
        return false;
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
        return false;
    }
    if (IsWord(t, 0, "ALTER")) {
        if ((IsWord(t, 1, "MATERIALIZED") && IsWord(t, 2, "VIEW")) || IsWord(t, 1, "DIMENSION"))
            return true;  // refresh and level changes: nothing to do
        if (IsUnitWord(t, 1)) {
            std::size_t i = 2;
            throw EngineError(QStringLiteral("ORA-04043: object %1 does not exist")
                                  .arg(QString::fromStdString(NameAt(t, &i))));
        }
    }
    return false;
}

}  // namespace OracleObjects
