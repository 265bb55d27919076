// How an INSERT or UPDATE of a table with enabled row triggers runs: the
// row passes through the triggers' expressions before SQLite sees it.
//     INSERT INTO t [(c1, ...)] VALUES (...) | query
// runs as
//     INSERT INTO t (c1, ..., filled) WITH "kova$new" (k1, ...) AS MATERIALIZED
//       (VALUES (...) | query) SELECT e1, ..., filled FROM "kova$new"
// (materialized, so that each value of the statement, a NEXTVAL say, is
// computed once per row however often the triggers read it), and
//     UPDATE t SET c = x, ... WHERE ...
// as the same UPDATE whose SET list holds each column the triggers assign.
#include "engine/oracle/OracleTriggers.h"

#include "engine/EngineError.h"
#include "engine/oracle/CatalogRows.h"
#include "engine/oracle/OracleDialect.h"
#include "engine/oracle/PlacedTokens.h"
#include "engine/SqlLexer.h"

#include <sqlite3.h>

#include <algorithm>
#include <set>

namespace OracleTriggers {
namespace {

using OracleDialect::QuoteName;
using OracleDialect::Upper;
using PlacedTokens::IsName;
using PlacedTokens::IsSymbol;
using PlacedTokens::IsWord;
using PlacedTokens::Tokens;

// The token after a [owner.]name starting at i.
std::size_t AfterName(const Tokens& t, std::size_t i)
{
    return IsSymbol(t, i + 1, ".") && IsName(t, i + 2) ? i + 3 : i + 1;
}

// The byte where the statement ends, a trailing ";" left out.
std::size_t StatementEnd(const Tokens& t)
{
    if (t.empty())
        return 0;
    return IsSymbol(t, t.size() - 1, ";") ? t.back().begin : t.back().end;
}

// The items between `from` and `to` split at commas outside parentheses:
// [begin, end) token ranges.
std::vector<std::pair<std::size_t, std::size_t>> Split(const Tokens& t, std::size_t from, std::size_t to)
{
    std::vector<std::pair<std::size_t, std::size_t>> items;
    std::size_t start = from;
    int depth = 0;
    for (std::size_t i = from; i < to; ++i) {
        if (IsSymbol(t, i, "("))
            ++depth;
        else if (IsSymbol(t, i, ")"))
            --depth;
        else if (depth == 0 && IsSymbol(t, i, ",")) {
            items.emplace_back(start, i);
            start = i + 1;
        }
    }
    items.emplace_back(start, to);
    return items;
}

// The parenthesis that closes the one at `open`; t.size() when none.
std::size_t Closing(const Tokens& t, std::size_t open)
{
    int depth = 0;
    for (std::size_t i = open; i < t.size(); ++i) {
        if (IsSymbol(t, i, "("))
            ++depth;
        else if (IsSymbol(t, i, ")") && --depth == 0)
            return i;
    }
    return t.size();
}

std::string Text(std::string_view sql, const Tokens& t, std::size_t from, std::size_t to)
{
    if (from >= to)
        return {};
    return std::string(sql.substr(t[from].begin, t[to - 1].end - t[from].begin));
}

// The shared text with each "?" numbered in order: ?1, ?2 ...
std::string Numbered(std::string_view shared)
{
    std::string out;
    std::size_t copied = 0;
    int number = 0;
    for (const PlacedToken& token : PlaceTokens(shared)) {
        if (token.kind != SqlToken::Kind::Symbol || token.text.empty() || token.text[0] != '?')
            continue;
        out.append(shared.substr(copied, token.begin + 1 - copied));
        out += std::to_string(++number);
        copied = token.begin + 1;
    }
    out.append(shared.substr(copied));
    return out;
}

// A value the triggers made, in the engine's words (SYSDATE(), KOVA_NEXTVAL ...).
std::string Engine(const std::string& value)
{
    return LexStatement(value).text;
}

}  // namespace

void Kept::load(sqlite3* db)
{
    m_db = db;
    m_tables.clear();
    if (CatalogRows::HasTable(db, "KOVA$IDENTITY")) {
        for (const auto& row : CatalogRows::TryRows(db, "SELECT TABLE_NAME, COLUMN_NAME FROM main.\"KOVA$IDENTITY\" "
                                                        "WHERE GENERATION_TYPE = 'ALWAYS'")) {
            if (Table* table = tableNamed(db, *row[0]))
                table->always.push_back(*row[1]);
        }
    }
    if (!CatalogRows::HasTable(db, TriggersTable))
        return;
    for (const auto& row : CatalogRows::TryRows(db, "SELECT SOURCE FROM main.\"KOVA$TRIGGERS\" "
                                                    "WHERE STATUS = 'ENABLED' ORDER BY rowid")) {
        try {
            Compiled compiled;
            compiled.trigger = Read(*row[0]);
            compiled.body = TriggerBody::Read(compiled.trigger.body, compiled.trigger.newName,
                                              compiled.trigger.oldName);
            compiled.when = TriggerBody::ReadCondition(compiled.trigger.when, compiled.trigger.newName,
                                                       compiled.trigger.oldName);
            Table* found = tableNamed(db, compiled.trigger.table);
            if (!found)
                continue;
            Table& table = *found;
            std::vector<std::string> named = TriggerBody::Columns(compiled.body, compiled.when);
            named.insert(named.end(), compiled.trigger.updateColumns.begin(), compiled.trigger.updateColumns.end());
            const bool valid = std::all_of(named.begin(), named.end(), [&table](const std::string& column) {
                return std::any_of(table.columns.begin(), table.columns.end(),
                                   [&column](const Column& c) { return c.upper == column; });
            });
            if (valid)
                table.triggers.push_back(std::move(compiled));
            else
                table.invalid.push_back(std::move(compiled.trigger));
        } catch (const EngineError&) {
            // A trigger that no longer reads (its table changed) does not run.
        }
    }
}

const Kept::Table* Kept::tableOf(const LexedStatement& lexed) const
{
    int at = 0;
    if (lexed.firstWord() == "INSERT" && lexed.headCount > 2 && lexed.head[1].text == "INTO")
        at = 2;
    else if (lexed.firstWord() == "UPDATE" && lexed.headCount > 1)
        at = 1;
    else
        return nullptr;
    if (at + 2 < lexed.headCount && lexed.head[static_cast<size_t>(at) + 1].kind == SqlToken::Kind::Symbol
        && lexed.head[static_cast<size_t>(at) + 1].text == ".")
        at += 2;
    const SqlToken& name = lexed.head[static_cast<size_t>(at)];
    if (name.kind != SqlToken::Kind::Word && name.kind != SqlToken::Kind::QuotedName)
        return nullptr;
    const auto found = m_tables.find(Upper(name.text));
    return found == m_tables.end() ? nullptr : &found->second;
}

// The table of that name with its columns, kept from now on; null when the
// schema has none.
Kept::Table* Kept::tableNamed(sqlite3* db, const std::string& name)
{
    const std::string key = Upper(name);
    Table& table = m_tables[key];
    if (table.name.empty()) {
        const auto found = CatalogRows::TryRows(db, "SELECT name FROM main.sqlite_master WHERE type = 'table' "
                                                    "AND name = ?1 COLLATE NOCASE", {name});
        if (found.empty()) {
            m_tables.erase(key);
            return nullptr;
        }
        table.name = *found[0][0];
        for (const auto& c : CatalogRows::TryRows(db, "SELECT name, dflt_value FROM pragma_table_info(?1, 'main')",
                                                  {table.name}))
            table.columns.push_back({*c[0], Upper(*c[0]), c[1].value_or(std::string())});
    }
    return &table;
}

// The GENERATED ALWAYS column an INSERT gives a value: one it names, or
// any when it names none; null when it leaves them all out.
const std::string* Kept::givenAlways(const std::string& insert, const Table& table)
{
    if (table.always.empty())
        return nullptr;
    const Tokens t = PlaceTokens(insert);
    std::size_t i = AfterName(t, 2);
    if (IsName(t, i) && !IsWord(t, i, "VALUES") && !IsWord(t, i, "SELECT") && !IsWord(t, i, "WITH"))
        ++i;  // an alias
    if (!IsSymbol(t, i, "(") || IsWord(t, i + 1, "SELECT") || IsWord(t, i + 1, "WITH"))
        return &table.always.front();
    for (const auto& [from, to] : Split(t, i + 1, Closing(t, i))) {
        for (const std::string& column : table.always) {
            if (to == from + 1 && IsName(t, from) && Upper(t[from].text) == column)
                return &column;
        }
    }
    return nullptr;
}

const Trigger* Kept::invalidFor(const Table& table, bool inserting) const
{
    for (const Trigger& trigger : table.invalid) {
        if (inserting ? trigger.onInsert : trigger.onUpdate)
            return &trigger;
    }
    return nullptr;
}

bool Kept::fires(const LexedStatement& lexed) const
{
    const Table* table = tableOf(lexed);
    if (!table)
        return false;
    const bool inserting = lexed.firstWord() == "INSERT";
    if (invalidFor(*table, inserting) || (inserting && givenAlways(lexed.text, *table)))
        return true;
    for (const Compiled& c : table->triggers) {
        if (inserting ? c.trigger.onInsert : c.trigger.onUpdate)
            return true;
    }
    return false;
}

bool Kept::rewrite(const LexedStatement& lexed, LexedStatement* out) const
{
    const Table* table = tableOf(lexed);
    if (!table)
        return false;
    const bool inserting = lexed.firstWord() == "INSERT";
    if (const Trigger* invalid = invalidFor(*table, inserting))
        throw EngineError(QStringLiteral("ORA-04098: trigger '%1' is invalid and failed re-validation")
                              .arg(QString::fromStdString(invalid->name)));
    if (inserting && givenAlways(lexed.text, *table))
        throw EngineError(QStringLiteral("ORA-32795: cannot insert into a generated always identity column"));
    if (table->triggers.empty())
        return false;
    const auto run = [&](std::string_view text, std::string* result) {
        return inserting ? rewriteInsert(text, *table, result) : rewriteUpdate(text, *table, result);
    };
    out->sharedText.clear();
    out->literals.clear();
    if (!run(lexed.text, &out->text))
        return false;
    out->head = lexed.head;
    out->headCount = lexed.headCount;
    out->trailingStatement = false;
    // The shared form, its parameters numbered: a value the triggers read
    // twice is the same parameter twice.
    if (!lexed.sharedText.empty() && run(Numbered(lexed.sharedText), &out->sharedText))
        out->literals = lexed.literals;
    else
        out->sharedText.clear();
    return true;
}

bool Kept::rewriteInsert(std::string_view sql, const Table& table, std::string* out) const
{
    const Tokens t = PlaceTokens(sql);
    const std::size_t end = StatementEnd(t);
    std::size_t i = AfterName(t, 2);
    const std::string target = Text(sql, t, 2, i);
    if (IsName(t, i) && !IsWord(t, i, "VALUES") && !IsWord(t, i, "SELECT") && !IsWord(t, i, "WITH"))
        ++i;  // an alias
    std::vector<std::string> given;  // the columns the statement names, in capitals
    if (IsSymbol(t, i, "(") && !IsWord(t, i + 1, "SELECT") && !IsWord(t, i + 1, "WITH")) {
        const std::size_t close = Closing(t, i);
        for (const auto& [from, to] : Split(t, i + 1, close)) {
            if (to != from + 1 || !IsName(t, from))
                return false;
            given.push_back(Upper(t[from].text));
        }
        i = close + 1;
    } else {
        for (const Column& c : table.columns)
            given.push_back(c.upper);
    }
    if (i >= t.size() || !(IsWord(t, i, "VALUES") || IsWord(t, i, "SELECT") || IsWord(t, i, "WITH")
                           || IsSymbol(t, i, "(")))
        return false;
    std::size_t count = given.size();
    if (IsWord(t, i, "VALUES") && IsSymbol(t, i + 1, "(")) {
        count = Split(t, i + 2, Closing(t, i + 1)).size();
    } else if (m_db) {
        // A query: as many columns as it gives.
        const std::string query(sql.substr(t[i].begin, end - t[i].begin));
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, query.c_str(), -1, &stmt, nullptr) == SQLITE_OK && stmt)
            count = static_cast<std::size_t>(sqlite3_column_count(stmt));
        sqlite3_finalize(stmt);
    }
    if (count < given.size())
        throw EngineError(QStringLiteral("ORA-00947: not enough values"));
    if (count > given.size())
        throw EngineError(QStringLiteral("ORA-00913: too many values"));
    TriggerBody::Row row;
    row.inserting = true;
    std::set<std::string> known;
    for (std::size_t k = 0; k < given.size(); ++k) {
        row.newValues[given[k]] = "\"kova$new\".k" + std::to_string(k + 1);
        known.insert(given[k]);
    }
    for (const Column& c : table.columns) {
        if (!known.count(c.upper))
            row.newValues[c.upper] = c.defaultValue.empty() ? std::string("NULL") : c.defaultValue;
    }
    for (const std::string& g : given) {
        if (!std::any_of(table.columns.begin(), table.columns.end(), [&](const Column& c) { return c.upper == g; }))
            throw EngineError(QStringLiteral("ORA-00904: \"%1\": invalid identifier").arg(QString::fromStdString(g)));
    }
    TriggerBody::Values values;
    for (const Compiled& c : table.triggers) {
        if (c.trigger.onInsert)
            TriggerBody::Apply(c.body, c.when, row, &values);
    }
    if (values.empty())
        return false;
    std::string columns;
    std::string select;
    std::string names;
    for (std::size_t k = 0; k < given.size(); ++k) {
        names += (k ? ", k" : "k") + std::to_string(k + 1);
        const auto assigned = values.find("N:" + given[k]);
        select += (k ? ", " : "") + (assigned != values.end() ? Engine(assigned->second) : row.newValues[given[k]]);
    }
    for (const Column& c : table.columns) {
        if (std::find(given.begin(), given.end(), c.upper) != given.end()) {
            continue;
        }
        if (const auto assigned = values.find("N:" + c.upper); assigned != values.end()) {
            given.push_back(c.upper);
            select += (select.empty() ? "" : ", ") + Engine(assigned->second);
        }
    }
    for (const std::string& g : given) {
        const auto c = std::find_if(table.columns.begin(), table.columns.end(),
                                    [&](const Column& column) { return column.upper == g; });
        columns += (columns.empty() ? "" : ", ") + QuoteName(c->name);
    }
    *out = "INSERT INTO " + target + " (" + columns + ") WITH \"kova$new\" (" + names + ") AS MATERIALIZED ("
           + std::string(sql.substr(t[i].begin, end - t[i].begin)) + "\n) SELECT " + select + " FROM \"kova$new\"";
    return true;
}

bool Kept::rewriteUpdate(std::string_view sql, const Table& table, std::string* out) const
{
    const Tokens t = PlaceTokens(sql);
    const std::size_t end = StatementEnd(t);
    std::size_t i = AfterName(t, 1);
    std::string qualifier = QuoteName(table.name);
    if (IsWord(t, i, "AS"))
        ++i;
    if (IsName(t, i) && !IsWord(t, i, "SET"))
        qualifier = QuoteName(t[i++].text);
    if (!IsWord(t, i, "SET"))
        return false;
    // The SET list ends at WHERE (or RETURNING, or the FROM of MERGE's
    // update) outside parentheses.
    std::size_t stop = i + 1;
    for (int depth = 0; stop < t.size() && t[stop].begin < end; ++stop) {
        if (IsSymbol(t, stop, "("))
            ++depth;
        else if (IsSymbol(t, stop, ")"))
            --depth;
        else if (depth == 0 && (IsWord(t, stop, "WHERE") || IsWord(t, stop, "RETURNING") || IsWord(t, stop, "FROM")))
            break;
    }
    const std::size_t listEnd = std::min(stop, IsSymbol(t, t.size() - 1, ";") ? t.size() - 1 : t.size());
    struct Item {
        std::string column;  // in capitals
        std::size_t from;
        std::size_t to;
    };
    std::vector<Item> items;
    std::set<std::string> set;
    for (const auto& [from, to] : Split(t, i + 1, listEnd)) {
        if (!IsName(t, from) || !IsSymbol(t, from + 1, "="))
            return false;  // SET (a, b) = (query): the triggers cannot read it
        items.push_back({Upper(t[from].text), from + 2, to});
        set.insert(Upper(t[from].text));
    }
    TriggerBody::Row row;
    for (const Column& c : table.columns) {
        row.oldValues[c.upper] = qualifier + "." + QuoteName(c.name);
        row.newValues[c.upper] = row.oldValues[c.upper];
    }
    for (const Item& item : items)
        row.newValues[item.column] = Text(sql, t, item.from, item.to);
    TriggerBody::Values values;
    for (const Compiled& c : table.triggers) {
        const auto& of = c.trigger.updateColumns;
        if (c.trigger.onUpdate
            && (of.empty() || std::any_of(of.begin(), of.end(), [&](const std::string& x) { return set.count(x); })))
            TriggerBody::Apply(c.body, c.when, row, &values);
    }
    if (values.empty())
        return false;
    std::string list;
    for (const Item& item : items) {
        const auto assigned = values.find("N:" + item.column);
        list += (list.empty() ? "" : ", ") + Text(sql, t, item.from - 2, item.from - 1) + " = "
                + (assigned != values.end() ? Engine(assigned->second) : Text(sql, t, item.from, item.to));
    }
    for (const Column& c : table.columns) {
        if (!set.count(c.upper) && values.count("N:" + c.upper))
            list += (list.empty() ? "" : ", ") + QuoteName(c.name) + " = " + Engine(values.at("N:" + c.upper));
    }
    *out = std::string(sql.substr(0, t[i].end)) + " " + list
           + (stop < t.size() ? " " + std::string(sql.substr(t[stop].begin, end - t[stop].begin)) : std::string());
    return true;
}

}  // namespace OracleTriggers
