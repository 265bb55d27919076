#include "engine/oracle/OracleSchema.h"

#include "engine/EngineError.h"
#include "engine/oracle/OracleDdl.h"
#include "engine/oracle/OracleDialect.h"
#include "engine/oracle/OracleObjects.h"
#include "engine/oracle/OracleTriggers.h"
#include "engine/SqlLexer.h"
#include "engine/SqliteEngine.h"

#include <QScopeGuard>

#include <sqlite3.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace OracleSchema {
namespace {

using OracleDdl::Statement;
using OracleDialect::QuoteName;
using OracleDialect::QuoteText;
using OracleDialect::Upper;
using Row = std::vector<std::optional<std::string>>;

class Catalog {
public:
    explicit Catalog(SqliteEngine& engine) : m_engine(engine), m_db(engine.handle()) {}

    // Runs one statement, the dialect's words rewritten; binds texts to ?1, ?2 ...
    void exec(const std::string& sql, const std::vector<std::string>& binds = {}) { rows(sql, binds); }

    std::vector<Row> rows(const std::string& sql, const std::vector<std::string>& binds = {})
    {
        const std::string text = LexStatement(sql).text;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, text.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
            sqlite3_finalize(stmt);
            m_engine.raise();
        }
        const auto release = qScopeGuard([stmt] { sqlite3_finalize(stmt); });
        for (std::size_t i = 0; i < binds.size(); ++i)
            sqlite3_bind_text(stmt, static_cast<int>(i + 1), binds[i].data(), static_cast<int>(binds[i].size()),
                              SQLITE_TRANSIENT);
        std::vector<Row> result;
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            Row& row = result.emplace_back();
            for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                row.push_back(value ? std::optional<std::string>(value) : std::nullopt);
            }
        }
        if (rc != SQLITE_DONE)
            m_engine.raise();
        return result;
    }

    // DDL ends the open transaction, as on Oracle; the session goes on in a
    // new one when this catalogue is done.
    void commit(bool reopen)
    {
        if (sqlite3_get_autocommit(m_db) != 0)
            return;
        exec("COMMIT");
        m_reopen = reopen;
    }
    ~Catalog()
    {
        if (m_reopen && sqlite3_get_autocommit(m_db))
            sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr);
    }

    void ensure(const char* table)
    {
        static const std::pair<const char*, const char*> Definitions[] = {
            {SequencesTable, "SEQUENCE_NAME TEXT PRIMARY KEY, MIN_VALUE INTEGER, MAX_VALUE INTEGER, "
                             "INCREMENT_BY INTEGER NOT NULL, CYCLE_FLAG TEXT, ORDER_FLAG TEXT, CACHE_SIZE INTEGER, "
                             "LAST_NUMBER INTEGER NOT NULL"},
            {CommentsTable, "TABLE_NAME TEXT NOT NULL, COLUMN_NAME TEXT NOT NULL, COMMENTS TEXT, "
                            "PRIMARY KEY (TABLE_NAME, COLUMN_NAME)"},
            {IdentityTable, "TABLE_NAME TEXT NOT NULL, COLUMN_NAME TEXT NOT NULL, GENERATION_TYPE TEXT, "
                            "SEQUENCE_NAME TEXT, PRIMARY KEY (TABLE_NAME, COLUMN_NAME)"},
            {DisabledTable, "CONSTRAINT_NAME TEXT PRIMARY KEY, TABLE_NAME TEXT NOT NULL, CONSTRAINT_TYPE TEXT, "
                            "CLAUSE TEXT, COLUMNS TEXT, SEARCH_CONDITION TEXT, R_TABLE_NAME TEXT, DELETE_RULE TEXT"},
            {ViewsTable, "VIEW_NAME TEXT PRIMARY KEY, TEXT TEXT"},
        };
        for (const auto& [name, columns] : Definitions) {
            if (std::string_view(name) == table)
                exec("CREATE TABLE IF NOT EXISTS main." + QuoteName(name) + " (" + columns + ")");
        }
    }

    bool exists(const char* table)
    {
        return !rows("SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND name = ?1", {table}).empty();
    }

    // The table's name and CREATE statement; ORA-00942 when there is none.
    std::pair<std::string, std::string> table(const std::string& name)
    {
        const auto found = rows("SELECT name, sql FROM main.sqlite_master WHERE type = 'table' "
                                "AND name = ?1 COLLATE NOCASE", {name});
        if (found.empty() || !found[0][1])
            throw EngineError(QStringLiteral("ORA-00942: table or view does not exist (%1)").arg(QString::fromStdString(Upper(name))));
        return {*found[0][0], *found[0][1]};
    }

    bool nameUsed(const std::string& name)
    {
        if (!rows("SELECT 1 FROM main.sqlite_master WHERE type IN ('table', 'view', 'index') AND name = ?1 "
                  "COLLATE NOCASE", {name}).empty())
            return true;
        return exists(SequencesTable)
               && !rows("SELECT 1 FROM main.\"KOVA$SEQUENCES\" WHERE SEQUENCE_NAME = ?1", {name}).empty();
    }

    // Every constraint of the schema's tables with its table, by name.
    std::optional<std::pair<std::string, OracleDdl::Constraint>> constraint(const std::string& name)
    {
        for (const Row& row : rows("SELECT m.name, m.sql FROM main.sqlite_master m WHERE m.type = 'table' "
                                   "AND m.sql IS NOT NULL")) {
            for (const OracleDdl::Constraint& c : OracleDdl::TableConstraints(*row[1])) {
                if (!c.name.empty() && c.name == name)
                    return std::make_pair(*row[0], c);
            }
        }
        return std::nullopt;
    }

    void addSequence(const OracleDdl::Sequence& q)
    {
        ensure(SequencesTable);
        const auto number = [](const std::optional<long long>& v) { return v ? std::to_string(*v) : "NULL"; };
        exec("INSERT INTO main.\"KOVA$SEQUENCES\" VALUES (?1, " + number(q.minValue) + ", " + number(q.maxValue) + ", "
                 + std::to_string(q.increment) + ", '" + (q.cycle ? "Y" : "N") + "', '" + (q.order ? "Y" : "N")
                 + "', " + std::to_string(q.cache) + ", " + std::to_string(q.start) + ")",
             {q.name});
    }

    void addIdentities(const std::string& table, const std::vector<OracleDdl::Identity>& identities)
    {
        for (const OracleDdl::Identity& id : identities) {
            const std::string upperTable = Upper(table);
            const std::string upperColumn = Upper(id.column);
            OracleDdl::Sequence q;
            q.name = "ISEQ$$_" + upperTable + "_" + upperColumn;
            q.start = id.start;
            q.increment = id.increment;
            q.minValue = id.increment > 0 ? std::optional<long long>(1) : std::nullopt;
            q.maxValue = id.increment > 0 ? std::nullopt : std::optional<long long>(-1);
            ensure(IdentityTable);
            ensure(SequencesTable);
            exec("DELETE FROM main.\"KOVA$SEQUENCES\" WHERE SEQUENCE_NAME = ?1", {q.name});
            addSequence(q);
            exec("INSERT OR REPLACE INTO main.\"KOVA$IDENTITY\" VALUES (?1, ?2, ?3, ?4)",
                 {upperTable, upperColumn, id.always ? "ALWAYS" : "BY DEFAULT", q.name});
        }
    }

    // What the catalogue keeps of tables that are gone goes with them.
    void forgetDropped()
    {
        const std::string gone = "NOT IN (SELECT upper(name) FROM main.sqlite_master WHERE type IN ('table', 'view'))";
        if (exists(CommentsTable))
            exec("DELETE FROM main.\"KOVA$COMMENTS\" WHERE TABLE_NAME " + gone);
        if (exists(DisabledTable))
            exec("DELETE FROM main.\"KOVA$DISABLED\" WHERE TABLE_NAME " + gone);
        if (exists(ViewsTable))
            exec("DELETE FROM main.\"KOVA$VIEWS\" WHERE VIEW_NAME " + gone);
        if (exists(IdentityTable)) {
            exec("DELETE FROM main.\"KOVA$SEQUENCES\" WHERE SEQUENCE_NAME IN (SELECT SEQUENCE_NAME FROM "
                 "main.\"KOVA$IDENTITY\" WHERE TABLE_NAME " + gone + ")");
            exec("DELETE FROM main.\"KOVA$IDENTITY\" WHERE TABLE_NAME " + gone);
        }
        OracleTriggers::ForgetDropped(m_engine);
    }

    // Makes `table` again from `createSql`, keeping its rows and indexes, as
    // SQLite documents it: with foreign keys off, in a transaction of its own.
    // The keys are then checked (unless `checkKeys` is false: ENABLE
    // NOVALIDATE leaves the rows there as they are); a row that breaks one
    // undoes it all.
    void rebuild(const std::string& table, const std::string& createSql, const std::string& constraintName,
                 const std::vector<std::string>& dropped = {}, bool checkKeys = true)
    {
        const bool inTransaction = sqlite3_get_autocommit(m_db) == 0;
        if (inTransaction)
            exec("COMMIT");  // DDL ends the transaction, as on Oracle
        const auto reopen = qScopeGuard([&] {
            sqlite3_exec(m_db, "PRAGMA foreign_keys = ON; PRAGMA legacy_alter_table = OFF", nullptr, nullptr, nullptr);
            if (inTransaction && sqlite3_get_autocommit(m_db))
                sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr);
        });
        exec("PRAGMA foreign_keys = OFF");
        exec("BEGIN");
        try {
            for (const Row& t : rows("SELECT name FROM temp.sqlite_master WHERE type = 'trigger' AND tbl_name = ?1",
                                     {table}))
                exec("DROP TRIGGER temp." + QuoteName(*t[0]));
            // An index on a dropped column goes with it.
            std::vector<std::string> indexes;
            for (const Row& i : rows("SELECT sql, name FROM main.sqlite_master WHERE type = 'index' AND tbl_name = ?1 "
                                     "AND sql IS NOT NULL", {table})) {
                bool keep = true;
                for (const std::string& column : dropped)
                    keep = keep && rows("SELECT 1 FROM pragma_index_info(?1, 'main') WHERE name = ?2 COLLATE NOCASE",
                                        {*i[1], column}).empty();
                if (keep)
                    indexes.push_back(*i[0]);
            }
            // The table's own triggers go with the old table: made again on
            // the new one. One that names a column that is gone is kept, and
            // fails the statements that fire it, as Oracle's invalid trigger.
            std::vector<std::string> triggers;
            for (const Row& t : rows("SELECT sql FROM main.sqlite_master WHERE type = 'trigger' AND tbl_name = ?1 "
                                     "AND sql IS NOT NULL", {table}))
                triggers.push_back(*t[0]);
            exec("PRAGMA legacy_alter_table = ON");
            exec("ALTER TABLE main." + QuoteName(table) + " RENAME TO \"kova$rebuild\"");
            exec(createSql);
            std::string columns;
            for (const Row& c : rows("SELECT name FROM pragma_table_info(?1, 'main') WHERE name IN "
                                     "(SELECT name FROM pragma_table_info('kova$rebuild', 'main'))", {table}))
                columns += (columns.empty() ? "" : ", ") + QuoteName(*c[0]);
            checkForeignKeys(table);
            try {
                exec("INSERT INTO main." + QuoteName(table) + " (" + columns + ") SELECT " + columns
                     + " FROM main.\"kova$rebuild\"");
            } catch (const EngineError& error) {
                throw EngineError(QStringLiteral("ORA-02293: cannot validate (%1) - the rows break it (%2)")
                                      .arg(QString::fromStdString(constraintName), error.message()));
            }
            exec("DROP TABLE main.\"kova$rebuild\"");
            for (const std::string& index : indexes)
                exec(index);
            for (const std::string& trigger : triggers) {
                if (sqlite3_exec(m_db, trigger.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
                    m_engine.raise();
            }
            if (checkKeys && !rows("SELECT 1 FROM pragma_foreign_key_check(?1, 'main') LIMIT 1", {table}).empty())
                throw EngineError(QStringLiteral("ORA-02298: cannot validate (%1) - parent keys not found")
                                      .arg(QString::fromStdString(constraintName)));
            exec("COMMIT");
        } catch (...) {
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    }

    // Oracle reads a foreign key when it is declared: its parent must be
    // there, with a primary or unique key on the columns it names.
    void checkForeignKeys(const std::string& table)
    {
        for (const Row& fk : rows("SELECT id, \"table\", group_concat(\"to\", ',') FROM pragma_foreign_key_list(?1, 'main') "
                                  "GROUP BY id", {table})) {
            const auto parent = rows("SELECT name FROM main.sqlite_master WHERE type = 'table' AND name = ?1 "
                                     "COLLATE NOCASE", {*fk[1]});
            if (parent.empty() && Upper(*fk[1]) != Upper(table))
                throw EngineError(QStringLiteral("ORA-00942: table or view does not exist (%1)").arg(
                    QString::fromStdString(Upper(*fk[1]))));
            const std::string name = parent.empty() ? table : *parent[0][0];
            // The parent's keys, each as its sorted column list.
            std::vector<std::string> keys;
            const auto pk = rows("SELECT group_concat(upper(name), ',') FROM (SELECT name FROM pragma_table_info(?1, "
                                 "'main') WHERE pk > 0 ORDER BY upper(name))", {name});
            const std::string primary = pk.empty() || !pk[0][0] ? std::string() : *pk[0][0];
            keys.push_back(primary);
            for (const Row& index : rows("SELECT name FROM pragma_index_list(?1, 'main') WHERE \"unique\" = 1", {name})) {
                const auto cols = rows("SELECT group_concat(upper(name), ',') FROM (SELECT name FROM "
                                       "pragma_index_info(?1, 'main') ORDER BY upper(name))", {*index[0]});
                if (!cols.empty() && cols[0][0])
                    keys.push_back(*cols[0][0]);
            }
            std::string wanted = primary;
            if (fk[2]) {
                const auto sorted = rows("SELECT group_concat(c, ',') FROM (SELECT upper(value) c FROM "
                                         "json_each('[\"' || replace(?1, ',', '\",\"') || '\"]') ORDER BY c)", {*fk[2]});
                wanted = sorted.empty() || !sorted[0][0] ? std::string() : *sorted[0][0];
            }
            if (wanted.empty() || std::find(keys.begin(), keys.end(), wanted) == keys.end())
                throw EngineError(QStringLiteral("ORA-02270: no matching unique or primary key for this column-list"));
        }
    }

private:
    SqliteEngine& m_engine;
    sqlite3* m_db;
    bool m_reopen = false;
};

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

void AddClauses(Catalog& catalog, const Statement& st)
{
    const auto [table, sql] = catalog.table(st.table);
    std::string names;
    for (const std::string& clause : st.clauses) {
        if (clause.find(" NOT NULL") != std::string::npos && clause.find(" DEFAULT ") == std::string::npos
            && !OracleDdl::ColumnNames("CREATE TABLE x (" + clause + ")").empty()
            && !catalog.rows("SELECT 1 FROM main." + QuoteName(table) + " LIMIT 1").empty())
            throw EngineError(QStringLiteral("ORA-01758: table must be empty to add mandatory (NOT NULL) column"));
        for (const OracleDdl::Constraint& c : OracleDdl::TableConstraints("CREATE TABLE x (" + clause + ")")) {
            if (!c.name.empty() && (catalog.constraint(c.name) || (catalog.exists(DisabledTable)
                && !catalog.rows("SELECT 1 FROM main.\"KOVA$DISABLED\" WHERE CONSTRAINT_NAME = ?1", {c.name}).empty())))
                throw EngineError(QStringLiteral("ORA-02264: name already used by an existing constraint (%1)").arg(Q(c.name)));
            names += (names.empty() ? "" : ", ") + c.name;
        }
    }
    catalog.rebuild(table, OracleDdl::WithClauses(sql, st.clauses), names);
    catalog.addIdentities(table, st.identities);
    // The rows already there take the identity's numbers, in their order.
    for (const OracleDdl::Identity& id : st.identities) {
        catalog.exec("UPDATE main." + QuoteName(table) + " SET " + QuoteName(id.column) + " = KOVA_NEXTVAL(?1)",
                     {"ISEQ$$_" + Upper(table) + "_" + Upper(id.column)});
    }
}

void ChangeConstraint(Catalog& catalog, const Statement& st)
{
    const auto [table, sql] = catalog.table(st.table);
    std::optional<Row> disabled;
    if (catalog.exists(DisabledTable)) {
        const auto found = catalog.rows("SELECT CLAUSE FROM main.\"KOVA$DISABLED\" WHERE CONSTRAINT_NAME = ?1 "
                                        "AND TABLE_NAME = upper(?2)", {st.name, table});
        if (!found.empty())
            disabled = found[0];
    }
    std::optional<OracleDdl::Constraint> active;
    for (const OracleDdl::Constraint& c : OracleDdl::TableConstraints(sql)) {
        if (c.name == st.name)
            active = c;
    }
    if (!active && !disabled)
        throw EngineError(QStringLiteral("ORA-02431: no such constraint (%1) on %2").arg(Q(st.name), Q(table)));
    const auto forget = [&] {
        catalog.exec("DELETE FROM main.\"KOVA$DISABLED\" WHERE CONSTRAINT_NAME = ?1", {st.name});
    };
    if (st.kind == Statement::Kind::DropConstraint) {
        if (disabled)
            forget();
        else
            catalog.rebuild(table, OracleDdl::WithoutClause(sql, *active), st.name);
        return;
    }
    if (st.enable) {
        if (!disabled)
            return;  // enabled already
        catalog.rebuild(table, OracleDdl::WithClauses(sql, std::vector<std::string>{*(*disabled)[0]}), st.name, {},
                        !st.novalidate);
        forget();
        return;
    }
    if (!active)
        return;  // disabled already
    std::string columns = "[";
    for (const std::string& column : active->columns)
        columns += (columns.size() > 1 ? "," : "") + std::string("\"") + column + "\"";
    columns += "]";
    catalog.rebuild(table, OracleDdl::WithoutClause(sql, *active), st.name);
    catalog.ensure(DisabledTable);
    catalog.exec("INSERT INTO main.\"KOVA$DISABLED\" VALUES (?1, upper(?2), ?3, ?4, ?5, ?6, ?7, ?8)",
                 {st.name, table, std::string(1, active->type), OracleDdl::ClauseText(*active), columns,
                  active->condition, active->refTable, active->deleteRule});
}

void Comment(Catalog& catalog, const Statement& st)
{
    const auto object = catalog.rows("SELECT name FROM main.sqlite_master WHERE type IN ('table', 'view') "
                                     "AND name = ?1 COLLATE NOCASE", {st.table});
    if (object.empty())
        throw EngineError(QStringLiteral("ORA-00942: table or view does not exist (%1)").arg(Q(Upper(st.table))));
    if (!st.column.empty()
        && catalog.rows("SELECT 1 FROM pragma_table_info(?1, 'main') WHERE name = ?2 COLLATE NOCASE",
                        {*object[0][0], st.column}).empty())
        throw EngineError(QStringLiteral("ORA-00904: \"%1\": invalid identifier").arg(Q(Upper(st.column))));
    catalog.ensure(CommentsTable);
    catalog.exec("INSERT OR REPLACE INTO main.\"KOVA$COMMENTS\" VALUES (upper(?1), upper(?2), nullif(?3, ''))",
                 {*object[0][0], st.column, st.comment});
}

void CreateView(Catalog& catalog, const Statement& st)
{
    const auto existing = catalog.rows("SELECT type FROM main.sqlite_master WHERE name = ?1 COLLATE NOCASE", {st.table});
    if (!existing.empty() && (!st.replace || *existing[0][0] != "view"))
        throw EngineError(QStringLiteral("ORA-00955: name is already used by an existing object"));
    if (!existing.empty())
        catalog.exec("DROP VIEW main." + QuoteName(st.table));
    if (catalog.exists(ViewsTable))
        catalog.exec("DELETE FROM main.\"KOVA$VIEWS\" WHERE VIEW_NAME = upper(?1)", {st.table});
    // The query as a statement runs it: owners dropped, DATE arithmetic,
    // Oracle's words. One the rewriting refuses is tried as written.
    std::string sql = st.sql;
    if (st.sql.size() >= st.query.size()) {
        try {
            LexedStatement lexed = LexStatement(st.query);
            OracleDialect::Rewrite(&lexed);
            sql = st.sql.substr(0, st.sql.size() - st.query.size()) + lexed.text;
        } catch (const EngineError&) {
        }
    }
    try {
        catalog.exec(sql);
        if (sql != st.sql) {
            // USER_VIEWS shows the query as it was written.
            catalog.ensure(ViewsTable);
            catalog.exec("INSERT INTO main.\"KOVA$VIEWS\" VALUES (upper(?1), ?2)", {st.table, st.query});
        }
        return;
    } catch (const EngineError& error) {
        if (!error.message().startsWith(QStringLiteral("ORA-00900")))
            throw;
        // SQL the engine cannot run (LISTAGG ... WITHIN GROUP, GROUPING SETS,
        // JSON_TABLE ...): the view is kept, listed with its columns and its
        // Oracle text, and a query of it says why it gives no rows.
        std::vector<std::string> names = st.columns;
        if (names.empty())
            names = OracleDdl::SelectListNames(st.query);
        std::string columns;
        std::string values;
        for (std::size_t i = 0; i < std::max<std::size_t>(names.size(), 1); ++i) {
            std::string name = i < names.size() && !names[i].empty() ? names[i] : "COLUMN" + std::to_string(i + 1);
            for (std::size_t j = 0; j < i; ++j) {
                if (j < names.size() && names[j] == name)
                    name += "_" + std::to_string(i + 1);
            }
            columns += (columns.empty() ? "" : ", ") + QuoteName(name);
            values += values.empty() ? "NULL" : ", NULL";
        }
        const std::string reason = error.message().toStdString();
        catalog.exec("CREATE VIEW main." + QuoteName(st.table) + " (" + columns + ") AS SELECT " + values
                     + " WHERE KOVA_VIEW_REFUSED(" + QuoteText(Upper(st.table)) + ", " + QuoteText(reason) + ")");
        catalog.ensure(ViewsTable);
        catalog.exec("INSERT INTO main.\"KOVA$VIEWS\" VALUES (upper(?1), ?2)", {st.table, st.query});
    }
}

std::string Unquoted(std::string type)
{
    if (type.size() >= 2 && type.front() == '\'' && type.back() == '\'')
        type = type.substr(1, type.size() - 2);
    return type;
}

// The table's real name for the column Oracle names; ORA-00904 when none.
std::string ColumnOf(Catalog& catalog, const std::string& table, const std::string& column)
{
    const auto found = catalog.rows("SELECT name FROM pragma_table_info(?1, 'main') WHERE name = ?2 COLLATE NOCASE",
                                    {table, column});
    if (found.empty())
        throw EngineError(QStringLiteral("ORA-00904: \"%1\": invalid identifier").arg(Q(Upper(column))));
    return *found[0][0];
}

// A change the rows do not fit is refused as Oracle refuses it.
void CheckChange(Catalog& catalog, const std::string& table, const std::string& column,
                 const OracleDdl::ColumnChange& change)
{
    const std::string from = " FROM main." + QuoteName(table) + " WHERE ";
    const std::string q = QuoteName(column);
    const auto any = [&](const std::string& condition) {
        return !catalog.rows("SELECT 1" + from + condition + " LIMIT 1").empty();
    };
    if (!change.type.empty() && any(q + " IS NOT NULL")) {
        const auto declared = catalog.rows("SELECT type FROM pragma_table_info(?1, 'main') WHERE name = ?2",
                                           {table, column});
        const OracleColumnType before = ParseDeclaredType(Unquoted(declared.empty() || !declared[0][0] ? "" : *declared[0][0]));
        const OracleColumnType after = ParseDeclaredType(Unquoted(change.type));
        using Family = OracleColumnType::Family;
        const bool characters = before.family == Family::Character && after.family == Family::Character
                                && before.dataType != "CLOB" && after.dataType != "CLOB";
        const bool numbers = before.family == Family::Numeric && after.family == Family::Numeric;
        if (before.dataType != after.dataType && !characters && !numbers)
            throw EngineError(QStringLiteral("ORA-01439: column to be modified must be empty to change datatype"));
        // Trailing blanks count: a CHAR value holds its column's length.
        if (characters && after.charLength && before.charLength && *after.charLength < *before.charLength
            && any("length(" + q + ") > " + std::to_string(*after.charLength)))
            throw EngineError(QStringLiteral("ORA-01441: cannot decrease column length because some value is too big"));
        const auto smaller = [](const std::optional<int>& a, const std::optional<int>& b) { return a && (!b || *a < *b); };
        if (numbers && (smaller(after.precision, before.precision) || smaller(after.scale, before.scale)))
            throw EngineError(QStringLiteral("ORA-01440: column to be modified must be empty to decrease precision or scale"));
    }
    if (change.null == OracleDdl::ColumnChange::Null::NotNull && any(q + " IS NULL"))
        throw EngineError(QStringLiteral("ORA-02296: cannot enable (%1.%2) - null values found")
                              .arg(Q(Upper(table)), Q(Upper(column))));
}

void ModifyColumns(Catalog& catalog, const Statement& st)
{
    auto [table, sql] = catalog.table(st.table);
    for (OracleDdl::ColumnChange change : st.changes) {
        change.column = ColumnOf(catalog, table, change.column);
        CheckChange(catalog, table, change.column, change);
        sql = OracleDdl::WithChange(sql, change);
    }
    catalog.rebuild(table, sql, Upper(table));
    // A CHAR column's values are blank-padded to its new length.
    for (const OracleDdl::ColumnChange& change : st.changes) {
        const OracleColumnType type = ParseDeclaredType(Unquoted(change.type));
        if (change.type.empty() || !type.blankPadded || !type.charLength)
            continue;
        const std::string q = QuoteName(ColumnOf(catalog, table, change.column));
        catalog.exec("UPDATE main." + QuoteName(table) + " SET " + q + " = " + q + " || substr(?1, 1, "
                     + std::to_string(*type.charLength) + " - length(" + q + ")) WHERE length(" + q + ") < "
                     + std::to_string(*type.charLength), {std::string(static_cast<std::size_t>(*type.charLength), ' ')});
    }
}

void DropColumns(Catalog& catalog, const Statement& st)
{
    auto [table, sql] = catalog.table(st.table);
    std::vector<std::string> dropped;
    for (const std::string& name : st.columns) {
        const std::string column = ColumnOf(catalog, table, name);
        // A key that a foreign key names stays (a foreign key of the table
        // itself on the column that goes, goes with it).
        const bool key = !catalog.rows("SELECT 1 FROM pragma_table_info(?1, 'main') WHERE name = ?2 AND pk > 0",
                                       {table, column}).empty();
        for (const Row& child : catalog.rows("SELECT name FROM main.sqlite_master WHERE type = 'table'")) {
            if (!catalog.rows("SELECT 1 FROM pragma_foreign_key_list(?1, 'main') WHERE \"table\" = ?2 COLLATE NOCASE "
                              "AND (\"to\" = ?3 COLLATE NOCASE OR (\"to\" IS NULL AND ?4 = '1')) AND NOT (?1 = ?2 "
                              "AND \"from\" = ?3 COLLATE NOCASE)", {*child[0], table, column, key ? "1" : "0"}).empty())
                throw EngineError(QStringLiteral("ORA-12992: cannot drop parent key column"));
        }
        std::string error;
        sql = OracleDdl::WithoutColumn(sql, column, st.enable, &error);
        if (!error.empty())
            throw EngineError(Q(error));
        dropped.push_back(column);
    }
    catalog.rebuild(table, sql, Upper(table), dropped);
    for (const std::string& column : dropped) {
        for (const char* kept : {CommentsTable, IdentityTable}) {
            if (catalog.exists(kept))
                catalog.exec("DELETE FROM main." + QuoteName(kept) + " WHERE TABLE_NAME = upper(?1) AND "
                             "COLUMN_NAME = upper(?2)", {table, column});
        }
    }
}

void RenameColumn(Catalog& catalog, const Statement& st)
{
    const std::string table = catalog.table(st.table).first;
    const std::string column = ColumnOf(catalog, table, st.column);
    // A plain name goes in as it is, so that SQLite writes it unquoted into
    // the column and the constraints, as the table spells its other names.
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
    const bool plain = !st.name.empty() && letter(st.name[0])
                       && std::all_of(st.name.begin(), st.name.end(),
                                      [&letter](char c) { return letter(c) || (c >= '0' && c <= '9'); })
                       && !sqlite3_keyword_check(st.name.data(), static_cast<int>(st.name.size()));
    catalog.exec("ALTER TABLE main." + QuoteName(table) + " RENAME COLUMN " + QuoteName(column) + " TO "
                 + (plain ? st.name : QuoteName(st.name)));
    for (const char* kept : {CommentsTable, IdentityTable}) {
        if (catalog.exists(kept))
            catalog.exec("UPDATE main." + QuoteName(kept) + " SET COLUMN_NAME = upper(?3) WHERE TABLE_NAME = "
                         "upper(?1) AND COLUMN_NAME = upper(?2)", {table, column, st.name});
    }
}

// TRUNCATE empties the table as DDL: the open transaction ends first, and a
// table that an enabled foreign key of another table names stays as it is.
void Truncate(Catalog& catalog, const Statement& st)
{
    const std::string table = catalog.table(st.table).first;
    for (const Row& child : catalog.rows("SELECT name FROM main.sqlite_master WHERE type = 'table' AND name <> ?1", {table})) {
        if (!catalog.rows("SELECT 1 FROM pragma_foreign_key_list(?1, 'main') WHERE \"table\" = ?2 COLLATE NOCASE",
                          {*child[0], table}).empty())
            throw EngineError(QStringLiteral("ORA-02266: unique/primary keys in table referenced by enabled foreign keys"));
    }
    catalog.commit(true);
    catalog.exec("DELETE FROM main." + QuoteName(table));
}

// A synonym of an object of the file is a view of it; one of an object that
// is not there is accepted and holds nothing, as Oracle accepts it.
void Synonym(Catalog& catalog, const Statement& st)
{
    const std::string mark = " /* synonym */";
    const auto existing = catalog.rows("SELECT type, sql FROM main.sqlite_master WHERE name = ?1 COLLATE NOCASE",
                                       {st.name});
    const bool ours = !existing.empty() && *existing[0][0] == "view" && existing[0][1]
                      && existing[0][1]->find(mark) != std::string::npos;
    if (st.table.empty()) {  // DROP SYNONYM
        if (ours)
            catalog.exec("DROP VIEW main." + QuoteName(st.name));
        return;
    }
    const auto target = catalog.rows("SELECT name FROM main.sqlite_master WHERE type IN ('table', 'view') AND "
                                     "name = ?1 COLLATE NOCASE", {st.table});
    // The file holds one schema: a synonym of another owner's object of the
    // same name (CREATE SYNONYM countries FOR hr.countries) is that object.
    if (!target.empty() && Upper(*target[0][0]) == Upper(st.name))
        return;
    if (!existing.empty() && !(ours && st.replace))
        throw EngineError(QStringLiteral("ORA-00955: name is already used by an existing object"));
    if (ours)
        catalog.exec("DROP VIEW main." + QuoteName(st.name));
    if (!target.empty())
        catalog.exec("CREATE VIEW main." + QuoteName(st.name) + " AS SELECT * FROM main." + QuoteName(*target[0][0]) + mark);
}

}  // namespace

bool Run(SqliteEngine& engine, std::string_view sql)
{
    std::string instead;
    if (OracleObjects::Run(engine, sql, &instead))
        return true;
    const Statement st = OracleDdl::Translate(instead.empty() ? sql : std::string_view(instead));
    Catalog catalog(engine);
    switch (st.kind) {
    case Statement::Kind::AsWritten:
        return false;
    case Statement::Kind::Refused:
        throw EngineError(Q(st.message));
    case Statement::Kind::Nothing:
        break;
    case Statement::Kind::Run:
        catalog.exec(st.sql);
        if (st.sql.rfind("DROP", 0) == 0)
            catalog.forgetDropped();
        break;
    case Statement::Kind::CreateTable:
        catalog.exec("SAVEPOINT kova_create");
        try {
            catalog.exec(st.sql);
            catalog.checkForeignKeys(st.table);
        } catch (...) {
            sqlite3_exec(engine.handle(), "ROLLBACK TO kova_create; RELEASE kova_create", nullptr, nullptr, nullptr);
            throw;
        }
        catalog.exec("RELEASE kova_create");
        catalog.addIdentities(st.table, st.identities);
        break;
    case Statement::Kind::ModifyColumns:
        ModifyColumns(catalog, st);
        break;
    case Statement::Kind::DropColumns:
        DropColumns(catalog, st);
        break;
    case Statement::Kind::RenameColumn:
        RenameColumn(catalog, st);
        break;
    case Statement::Kind::Truncate:
        Truncate(catalog, st);
        break;
    case Statement::Kind::Synonym:
        Synonym(catalog, st);
        break;
    case Statement::Kind::SetConstraints:
        // Foreign keys are deferred as one, to the end of the transaction;
        // a CHECK, a key or NOT NULL is checked at each statement.
        catalog.exec(std::string("PRAGMA defer_foreign_keys = ") + (st.enable ? "ON" : "OFF"));
        break;
    case Statement::Kind::AlterTableAdd:
        AddClauses(catalog, st);
        break;
    case Statement::Kind::DropConstraint:
    case Statement::Kind::ConstraintState:
        ChangeConstraint(catalog, st);
        break;
    case Statement::Kind::CreateSequence:
        if (catalog.nameUsed(st.sequence.name))
            throw EngineError(QStringLiteral("ORA-00955: name is already used by an existing object"));
        catalog.addSequence(st.sequence);
        break;
    case Statement::Kind::DropSequence:
        if (!catalog.exists(SequencesTable)
            || catalog.rows("SELECT 1 FROM main.\"KOVA$SEQUENCES\" WHERE SEQUENCE_NAME = ?1", {st.sequence.name}).empty())
            throw EngineError(QStringLiteral("ORA-02289: sequence does not exist"));
        catalog.exec("DELETE FROM main.\"KOVA$SEQUENCES\" WHERE SEQUENCE_NAME = ?1", {st.sequence.name});
        break;
    case Statement::Kind::Comment:
        Comment(catalog, st);
        break;
    case Statement::Kind::CreateView:
        CreateView(catalog, st);
        break;
    case Statement::Kind::AlterSession:
        for (const auto& [name, value] : st.settings) {
            if (name == "NLS_DATE_FORMAT")
                catalog.exec("SELECT KOVA_SESSION('NLS_DATE_FORMAT', ?1)", {value});
        }
        break;
    }
    return true;
}

void ForgetDropped(SqliteEngine& engine)
{
    Catalog(engine).forgetDropped();
}

}  // namespace OracleSchema
