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
            throw EngineError(QStringLiteral("ORA-00942: table or view does not exist (%1)").arg(QString::fromStdString(name)));
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
    // The keys are then checked; a row that breaks one undoes it all.
    void rebuild(const std::string& table, const std::string& createSql, const std::string& constraintName)
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
            std::vector<std::string> indexes;
            for (const Row& i : rows("SELECT sql FROM main.sqlite_master WHERE type = 'index' AND tbl_name = ?1 "
                                     "AND sql IS NOT NULL", {table}))
                indexes.push_back(*i[0]);
            std::string columns;
            for (const Row& c : rows("SELECT name FROM pragma_table_info(?1, 'main')", {table}))
                columns += (columns.empty() ? "" : ", ") + QuoteName(*c[0]);
            exec("PRAGMA legacy_alter_table = ON");
            exec("ALTER TABLE main." + QuoteName(table) + " RENAME TO \"kova$rebuild\"");
            exec(createSql);
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
            if (!rows("SELECT 1 FROM pragma_foreign_key_check(?1, 'main') LIMIT 1", {table}).empty())
                throw EngineError(QStringLiteral("ORA-02298: cannot validate (%1) - parent keys not found")
                                      .arg(QString::fromStdString(constraintName)));
            exec("COMMIT");
        } catch (...) {
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    }

private:
    SqliteEngine& m_engine;
    sqlite3* m_db;
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
        for (const OracleDdl::Constraint& c : OracleDdl::TableConstraints("CREATE TABLE x (" + clause + ")")) {
            if (!c.name.empty() && (catalog.constraint(c.name) || (catalog.exists(DisabledTable)
                && !catalog.rows("SELECT 1 FROM main.\"KOVA$DISABLED\" WHERE CONSTRAINT_NAME = ?1", {c.name}).empty())))
                throw EngineError(QStringLiteral("ORA-02264: name already used by an existing constraint (%1)").arg(Q(c.name)));
            names += (names.empty() ? "" : ", ") + c.name;
        }
    }
    catalog.rebuild(table, OracleDdl::WithClauses(sql, st.clauses), names);
    catalog.addIdentities(table, st.identities);
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
        catalog.rebuild(table, OracleDdl::WithClauses(sql, std::vector<std::string>{*(*disabled)[0]}), st.name);
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
        throw EngineError(QStringLiteral("ORA-00942: table or view does not exist (%1)").arg(Q(st.table)));
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
    try {
        catalog.exec(st.sql);
        return;
    } catch (const EngineError& error) {
        if (!error.message().contains(QStringLiteral("syntax error")))
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
        catalog.exec(st.sql);
        catalog.addIdentities(st.table, st.identities);
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
