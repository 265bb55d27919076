#include "engine/oracle/OracleTriggers.h"

#include "engine/EngineError.h"
#include "engine/oracle/CatalogRows.h"
#include "engine/oracle/OracleDialect.h"
#include "engine/oracle/OracleObjects.h"
#include "engine/oracle/PlacedTokens.h"
#include "engine/SqlLexer.h"
#include "engine/SqliteEngine.h"

#include <sqlite3.h>

#include <algorithm>
#include <set>

namespace OracleTriggers {
namespace {

using CatalogRows::Rows;
using OracleDialect::QuoteName;
using OracleDialect::Upper;
using PlacedTokens::IsName;
using PlacedTokens::IsSymbol;
using PlacedTokens::IsWord;
using PlacedTokens::Tokens;

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

[[noreturn]] void Refuse(const std::string& construct)
{
    throw EngineError(Q(OracleObjects::OutsideLine(construct)));
}

// [owner.]name at i: the name, i moved past it.
std::string ObjectName(const Tokens& t, std::size_t* i)
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

void Ensure(SqliteEngine& engine)
{
    Rows(engine, std::string("CREATE TABLE IF NOT EXISTS main.") + QuoteName(TriggersTable)
                     + " (TRIGGER_NAME TEXT PRIMARY KEY, TABLE_NAME TEXT NOT NULL, TRIGGERING_EVENT TEXT, "
                       "STATUS TEXT NOT NULL, WHEN_CLAUSE TEXT, TRIGGER_BODY TEXT, REFERENCING_NAMES TEXT, "
                       "SOURCE TEXT NOT NULL)");
}

bool Exists(SqliteEngine& engine, const std::string& name)
{
    return CatalogRows::HasTable(engine.handle(), TriggersTable)
           && !Rows(engine, "SELECT 1 FROM main.\"KOVA$TRIGGERS\" WHERE TRIGGER_NAME = ?1", {name}).empty();
}

// The table's name as SQLite spells it; ORA-00942 when there is none.
std::string TableName(SqliteEngine& engine, const std::string& name)
{
    const auto found = Rows(engine, "SELECT name FROM main.sqlite_master WHERE type = 'table' AND name = ?1 "
                                    "COLLATE NOCASE", {name});
    if (found.empty())
        throw EngineError(QStringLiteral("ORA-00942: table or view does not exist (%1)").arg(Q(name)));
    return *found[0][0];
}

// Each column's SQL for a trigger read against the table's own row.
TriggerBody::Row OwnRow(SqliteEngine& engine, const std::string& table, bool inserting)
{
    TriggerBody::Row row;
    row.inserting = inserting;
    for (const auto& c : Rows(engine, "SELECT name FROM pragma_table_info(?1, 'main')", {table})) {
        row.newValues[Upper(*c[0])] = QuoteName(*c[0]);
        row.oldValues[Upper(*c[0])] = QuoteName(*c[0]);
    }
    return row;
}

void Create(SqliteEngine& engine, std::string_view sql)
{
    const Trigger trigger = Read(sql);
    const std::string table = TableName(engine, trigger.table);
    const TriggerBody::Body body = TriggerBody::Read(trigger.body, trigger.newName, trigger.oldName);
    const TriggerBody::Expr when = TriggerBody::ReadCondition(trigger.when, trigger.newName, trigger.oldName);
    const TriggerBody::Row row = OwnRow(engine, table, true);
    for (const std::string& column : TriggerBody::Columns(body, when)) {
        if (!row.newValues.count(column))
            throw EngineError(QStringLiteral("PLS-00049: bad bind variable '%1.%2'").arg(Q(trigger.newName), Q(column)));
    }
    for (const std::string& column : trigger.updateColumns) {
        if (!row.newValues.count(column))
            throw EngineError(QStringLiteral("ORA-00904: \"%1\": invalid identifier").arg(Q(column)));
    }
    // The expressions must compile against the table, as Oracle compiles the
    // body when the trigger is made.
    TriggerBody::Values values;
    TriggerBody::Apply(body, when, row, &values);
    std::string probe;
    for (const auto& [key, value] : values)
        probe += (probe.empty() ? "" : ", ") + value;
    if (!probe.empty()) {
        const std::string text = LexStatement("SELECT " + probe + " FROM main." + QuoteName(table)).text;
        sqlite3_stmt* stmt = nullptr;
        const int rc = sqlite3_prepare_v2(engine.handle(), text.c_str(), -1, &stmt, nullptr);
        sqlite3_finalize(stmt);
        if (rc != SQLITE_OK)
            throw EngineError(QStringLiteral("ORA-04098: trigger '%1' is invalid and failed re-validation")
                                  .arg(Q(trigger.name)));
    }
    if (Exists(engine, trigger.name)) {
        if (!trigger.replace)
            throw EngineError(QStringLiteral("ORA-04081: trigger '%1' already exists").arg(Q(trigger.name)));
        Rows(engine, "DELETE FROM main.\"KOVA$TRIGGERS\" WHERE TRIGGER_NAME = ?1", {trigger.name});
    }
    Ensure(engine);
    Rows(engine, "INSERT INTO main.\"KOVA$TRIGGERS\" VALUES (?1, upper(?2), ?3, ?4, nullif(?5, ''), ?6, ?7, ?8)",
         {trigger.name, table, trigger.event(), trigger.enabled ? "ENABLED" : "DISABLED", trigger.when, trigger.body,
          "REFERENCING NEW AS " + trigger.newName + " OLD AS " + trigger.oldName, std::string(sql)});
}

void Status(SqliteEngine& engine, const std::string& name, bool enable)
{
    if (!Exists(engine, name))
        throw EngineError(QStringLiteral("ORA-04080: trigger '%1' does not exist").arg(Q(name)));
    Rows(engine, "UPDATE main.\"KOVA$TRIGGERS\" SET STATUS = ?2 WHERE TRIGGER_NAME = ?1",
         {name, enable ? "ENABLED" : "DISABLED"});
}

}  // namespace

std::string Trigger::event() const
{
    return onInsert && onUpdate ? "INSERT OR UPDATE" : onInsert ? "INSERT" : "UPDATE";
}

Trigger Read(std::string_view sql)
{
    const Tokens t = PlaceTokens(sql);
    Trigger trigger;
    std::size_t i = 1;
    if (IsWord(t, i, "OR") && IsWord(t, i + 1, "REPLACE")) {
        trigger.replace = true;
        i += 2;
    }
    if (IsWord(t, i, "EDITIONABLE") || IsWord(t, i, "NONEDITIONABLE"))
        ++i;
    ++i;  // TRIGGER
    trigger.name = ObjectName(t, &i);
    if (IsWord(t, i, "AFTER"))
        Refuse("an AFTER trigger");
    if (IsWord(t, i, "INSTEAD"))
        Refuse("an INSTEAD OF trigger");
    if (IsWord(t, i, "FOR"))
        Refuse("a compound trigger");
    if (!IsWord(t, i, "BEFORE"))
        throw EngineError(QStringLiteral("ORA-04079: invalid trigger definition"));
    ++i;
    for (;;) {
        if (IsWord(t, i, "INSERT")) {
            trigger.onInsert = true;
            ++i;
        } else if (IsWord(t, i, "UPDATE")) {
            trigger.onUpdate = true;
            ++i;
            if (IsWord(t, i, "OF")) {
                do {
                    ++i;
                    if (!IsName(t, i))
                        throw EngineError(QStringLiteral("ORA-04079: invalid trigger definition"));
                    trigger.updateColumns.push_back(Upper(t[i].text));
                    ++i;
                } while (IsSymbol(t, i, ","));
            }
        } else if (IsWord(t, i, "DELETE")) {
            Refuse("a DELETE trigger");
        } else {
            Refuse("a trigger on the schema or database");
        }
        if (!IsWord(t, i, "OR"))
            break;
        ++i;
    }
    if (!IsWord(t, i, "ON"))
        throw EngineError(QStringLiteral("ORA-04079: invalid trigger definition"));
    ++i;
    if (IsWord(t, i, "SCHEMA") || IsWord(t, i, "DATABASE") || IsWord(t, i, "NESTED"))
        Refuse("a trigger on the schema or database");
    trigger.table = ObjectName(t, &i);
    bool eachRow = false;
    for (;;) {
        if (IsWord(t, i, "REFERENCING")) {
            ++i;
            while (IsWord(t, i, "NEW") || IsWord(t, i, "OLD") || IsWord(t, i, "PARENT")) {
                const std::string which = t[i].text;
                i += IsWord(t, i + 1, "AS") ? 2 : 1;
                if (!IsName(t, i))
                    throw EngineError(QStringLiteral("ORA-04079: invalid trigger definition"));
                if (which == "NEW")
                    trigger.newName = Upper(t[i].text);
                else if (which == "OLD")
                    trigger.oldName = Upper(t[i].text);
                ++i;
            }
        } else if (IsWord(t, i, "FOR") && IsWord(t, i + 1, "EACH") && IsWord(t, i + 2, "ROW")) {
            eachRow = true;
            i += 3;
        } else if (IsWord(t, i, "FOLLOWS") || IsWord(t, i, "PRECEDES")) {
            do
                i += 2;
            while (IsSymbol(t, i, ","));
            // FOLLOWS a.b: the owner's dot
            while (IsSymbol(t, i, ".") && IsName(t, i + 1))
                i += 2;
        } else if (IsWord(t, i, "ENABLE") || IsWord(t, i, "DISABLE")) {
            trigger.enabled = t[i].text == "ENABLE";
            ++i;
        } else if (IsWord(t, i, "WHEN") && IsSymbol(t, i + 1, "(")) {
            int depth = 0;
            std::size_t close = i + 1;
            for (; close < t.size(); ++close) {
                if (IsSymbol(t, close, "("))
                    ++depth;
                else if (IsSymbol(t, close, ")") && --depth == 0)
                    break;
            }
            if (close >= t.size())
                throw EngineError(QStringLiteral("ORA-00907: missing right parenthesis"));
            trigger.when = std::string(sql.substr(t[i + 1].end, t[close].begin - t[i + 1].end));
            i = close + 1;
        } else {
            break;
        }
    }
    if (!eachRow)
        Refuse("a statement trigger (without FOR EACH ROW)");
    if (IsWord(t, i, "COMPOUND"))
        Refuse("a compound trigger");
    if (!IsWord(t, i, "DECLARE") && !IsWord(t, i, "BEGIN"))
        Refuse(i < t.size() ? "a trigger body of " + t[i].text : std::string("a trigger without a body"));
    std::size_t end = sql.size();
    while (end > t[i].begin && (sql[end - 1] == ' ' || sql[end - 1] == '\n' || sql[end - 1] == '\r'
                                || sql[end - 1] == '\t'))
        --end;
    trigger.body = std::string(sql.substr(t[i].begin, end - t[i].begin));
    return trigger;
}

bool Run(SqliteEngine& engine, std::string_view sql)
{
    const Tokens t = PlaceTokens(sql);
    std::size_t i = 1;
    if (IsWord(t, 0, "CREATE")) {
        if (IsWord(t, i, "OR") && IsWord(t, i + 1, "REPLACE"))
            i += 2;
        if (IsWord(t, i, "EDITIONABLE") || IsWord(t, i, "NONEDITIONABLE"))
            ++i;
        if (!IsWord(t, i, "TRIGGER"))
            return false;
        Create(engine, sql);
        return true;
    }
    const bool alter = IsWord(t, 0, "ALTER");
    if ((alter || IsWord(t, 0, "DROP")) && IsWord(t, 1, "TRIGGER")) {
        i = 2;
        const std::string name = ObjectName(t, &i);
        if (!alter) {
            if (!Exists(engine, name))
                throw EngineError(QStringLiteral("ORA-04080: trigger '%1' does not exist").arg(Q(name)));
            Rows(engine, "DELETE FROM main.\"KOVA$TRIGGERS\" WHERE TRIGGER_NAME = ?1", {name});
        } else if (IsWord(t, i, "ENABLE") || IsWord(t, i, "DISABLE")) {
            Status(engine, name, t[i].text == "ENABLE");
        } else if (!Exists(engine, name)) {
            throw EngineError(QStringLiteral("ORA-04080: trigger '%1' does not exist").arg(Q(name)));
        }
        return true;
    }
    if (alter && IsWord(t, 1, "TABLE")) {
        i = 2;
        const std::string name = ObjectName(t, &i);
        if (!(IsWord(t, i, "ENABLE") || IsWord(t, i, "DISABLE")) || !IsWord(t, i + 1, "ALL")
            || !IsWord(t, i + 2, "TRIGGERS") || i + 3 != t.size() - (IsSymbol(t, t.size() - 1, ";") ? 1 : 0))
            return false;
        const std::string table = TableName(engine, name);
        if (CatalogRows::HasTable(engine.handle(), TriggersTable))
            Rows(engine, "UPDATE main.\"KOVA$TRIGGERS\" SET STATUS = ?2 WHERE TABLE_NAME = upper(?1)",
                 {table, t[i].text == "ENABLE" ? "ENABLED" : "DISABLED"});
        return true;
    }
    return false;
}

void ForgetDropped(SqliteEngine& engine)
{
    if (CatalogRows::HasTable(engine.handle(), TriggersTable))
        Rows(engine, "DELETE FROM main.\"KOVA$TRIGGERS\" WHERE TABLE_NAME NOT IN "
                     "(SELECT upper(name) FROM main.sqlite_master WHERE type = 'table')");
}

}  // namespace OracleTriggers
