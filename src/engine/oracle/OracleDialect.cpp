#include "engine/oracle/OracleDialect.h"
#include "engine/oracle/OracleIntervals.h"

#include "engine/oracle/OracleDictionary.h"
#include "engine/oracle/OracleFunctions.h"
#include "engine/oracle/OracleSchema.h"
#include "engine/oracle/OracleTypes.h"

#include <QtGlobal>

#include <sqlite3.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <set>
#include <vector>

namespace OracleDialect {

std::string QuoteName(const std::string& name)
{
    std::string quoted = "\"";
    for (const char c : name) {
        quoted.push_back(c);
        if (c == '"')
            quoted.push_back('"');
    }
    quoted.push_back('"');
    return quoted;
}

std::string QuoteText(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) {
        quoted.push_back(c);
        if (c == '\'')
            quoted.push_back('\'');
    }
    quoted.push_back('\'');
    return quoted;
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

namespace {

bool Exec(sqlite3* db, const std::string& sql, std::string* error)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    if (error)
        *error = message ? message : "unknown error";
    sqlite3_free(message);
    return false;
}

// Rows of a query as texts (NULL as empty).
std::vector<std::vector<std::string>> Query(sqlite3* db, const std::string& sql)
{
    std::vector<std::vector<std::string>> rows;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        return rows;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            row.emplace_back(text ? text : "");
        }
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(stmt);
    return rows;
}

std::string Number(double value)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return buffer;
}

struct ColumnInfo {
    std::string name;
    OracleColumnType type;
    bool notNull = false;
};

// The rounding of a value to a NUMBER's scale, as SQL.
std::string Rounded(const std::string& value, int scale)
{
    return "KOVA_ROUND(" + value + ", " + std::to_string(scale) + ")";
}

// CREATE TEMP TRIGGER statements for one table.
std::string TableTriggers(const std::string& owner, const std::string& table,
                          const std::vector<ColumnInfo>& columns, bool hasRowId)
{
    const std::string qTable = QuoteName(table);
    const std::string where = QuoteName(owner) + "." + QuoteName(table);
    std::string checks;
    std::string fixWhen;
    std::string fixSet;
    auto check = [&](const std::string& condition, const std::string& message) {
        checks += " WHEN " + condition + " THEN RAISE(ABORT, " + QuoteText(message) + ")";
    };
    auto fix = [&](const std::string& when, const std::string& column, const std::string& value) {
        fixWhen += (fixWhen.empty() ? "" : " OR ") + when;
        fixSet += (fixSet.empty() ? "" : ", ") + column + " = " + value;
    };
    for (const ColumnInfo& column : columns) {
        if (!column.notNull)
            continue;
        const std::string c = "NEW." + QuoteName(column.name);
        check(c + " IS NULL OR " + c + " = ''",
              "ORA-01400: cannot insert NULL into (" + where + "." + QuoteName(column.name) + ")");
    }
    for (const ColumnInfo& column : columns) {
        const std::string q = QuoteName(column.name);
        const std::string c = "NEW." + q;
        const OracleColumnType& type = column.type;
        const std::string columnName = where + "." + q;
        switch (type.family) {
        case OracleColumnType::Family::Numeric:
            check("typeof(" + c + ") = 'text' AND " + c + " <> '' AND NOT KOVA_ISNUMBER(" + c + ")",
                  "ORA-01722: invalid number");
            // Whole numbers are compared as they are: a double holds 15
            // digits, not the 18 of a NUMBER(18).
            if (type.precision && type.dataType == "NUMBER") {
                const int scale = type.scale.value_or(0);
                const std::string limit = Number(std::pow(10.0, *type.precision - scale));
                const std::string whole = scale >= 0 ? "typeof(" + c + ") = 'integer'" : "0";
                check("CASE WHEN " + whole + " THEN " + c + " >= " + limit + " OR " + c + " <= -" + limit
                          + " ELSE abs(" + Rounded(c, scale) + ") >= " + limit + " END",
                      "ORA-01438: value larger than specified precision allowed for this column");
            }
            if (type.scale && type.dataType == "NUMBER") {
                fix(c + " <> " + Rounded(c, *type.scale), q,
                    "CASE WHEN " + q + " = '' THEN NULL ELSE " + Rounded(q, *type.scale) + " END");
            } else {
                fix(c + " = ''", q, "NULLIF(" + q + ", '')");
            }
            break;
        case OracleColumnType::Family::Character: {
            const std::string n = std::to_string(type.charLength.value_or(4000));
            const std::string length = (type.charSemantics ? "length(" : "LENGTHB(") + c + ")";
            check(length + " > " + n,
                  "ORA-12899: value too large for column " + columnName + " (maximum: " + n + ")");
            if (type.blankPadded) {
                fix(c + " = '' OR " + length + " < " + n, q,
                    "KOVA_PADCHAR(" + q + ", " + n + ", " + (type.charSemantics ? "1" : "0") + ")");
            } else {
                fix(c + " = ''", q, "NULLIF(" + q + ", '')");
            }
            break;
        }
        case OracleColumnType::Family::Date:
            check("NOT KOVA_ISDATE(" + c + ")", "ORA-01861: literal does not match format string");
            fix(c + " = ''", q, "NULLIF(" + q + ", '')");
            break;
        case OracleColumnType::Family::Other:
            break;
        }
    }
    std::string sql;
    if (!checks.empty()) {
        for (const char* event : {"INSERT", "UPDATE"}) {
            sql += "CREATE TEMP TRIGGER " + QuoteName("kova_check_" + std::string(event) + "_" + table)
                 + " BEFORE " + event + " ON main." + qTable + " BEGIN SELECT CASE" + checks
                 + " END; END;\n";
        }
    }
    if (hasRowId && !fixSet.empty()) {
        for (const char* event : {"INSERT", "UPDATE"}) {
            sql += "CREATE TEMP TRIGGER " + QuoteName("kova_store_" + std::string(event) + "_" + table)
                 + " AFTER " + event + " ON main." + qTable + " WHEN " + fixWhen + " BEGIN UPDATE "
                 + qTable + " SET " + fixSet + " WHERE rowid = NEW.rowid; END;\n";
        }
    }
    return sql;
}

// An identity column takes its sequence's next number when a row leaves it
// NULL; GENERATED ALWAYS refuses a number of the row's own.
std::string IdentityTriggers(const std::string& table, const std::string& column, bool always,
                             const std::string& sequence, bool hasRowId)
{
    const std::string qTable = QuoteName(table);
    const std::string c = QuoteName(column);
    std::string sql;
    if (always) {
        sql += "CREATE TEMP TRIGGER " + QuoteName("kova$always_" + table + "_" + column) + " BEFORE INSERT ON main."
               + qTable + " WHEN NEW." + c + " IS NOT NULL BEGIN SELECT RAISE(ABORT, "
               + QuoteText("ORA-32795: cannot insert into a generated always identity column") + "); END;\n";
        // Only the engine's own numbering sets a NULL one.
        sql += "CREATE TEMP TRIGGER " + QuoteName("kova$always_update_" + table + "_" + column) + " BEFORE UPDATE OF "
               + c + " ON main." + qTable + " WHEN OLD." + c + " IS NOT NULL BEGIN SELECT RAISE(ABORT, "
               + QuoteText("ORA-32796: cannot update a generated always identity column") + "); END;\n";
    }
    if (hasRowId) {
        sql += "CREATE TEMP TRIGGER " + QuoteName("kova$identity_" + table + "_" + column) + " AFTER INSERT ON main."
               + qTable + " WHEN NEW." + c + " IS NULL BEGIN UPDATE " + qTable + " SET " + c
               + " = KOVA_NEXTVAL(" + QuoteText(sequence) + ") WHERE rowid = NEW.rowid; END;\n";
    }
    return sql;
}

bool InstallTriggers(sqlite3* db, const std::string& owner, std::string* error)
{
    for (const auto& row : Query(db, "SELECT name FROM temp.sqlite_master WHERE type = 'trigger' "
                                     "AND (name LIKE 'kova\\_%' ESCAPE '\\' OR name LIKE 'kova$%')")) {
        if (!Exec(db, "DROP TRIGGER temp." + QuoteName(row[0]), error))
            return false;
    }
    const bool haveIdentity = !Query(db, "SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND name = "
                                         "'KOVA$IDENTITY'").empty();
    const auto tables = Query(db, "SELECT m.name, upper(m.sql) FROM main.sqlite_master m "
                                  "WHERE m.type = 'table' AND " + OracleDictionary::UserObjects);
    for (const auto& table : tables) {
        const std::string& sql = table[1];
        if (sql.rfind("CREATE VIRTUAL", 0) == 0)
            continue;
        const bool hasRowId = sql.find("WITHOUT ROWID") == std::string::npos;
        std::vector<ColumnInfo> columns;
        for (const auto& info : Query(db, "SELECT name, type, \"notnull\", pk FROM "
                                          "pragma_table_info(" + QuoteText(table[0]) + ", 'main')")) {
            ColumnInfo column;
            column.name = info[0];
            column.type = ParseDeclaredType(info[1]);
            column.notNull = info[2] != "0" || info[3] != "0";
            columns.push_back(std::move(column));
        }
        std::string identity;
        if (haveIdentity) {
            for (const auto& id : Query(db, "SELECT COLUMN_NAME, GENERATION_TYPE, SEQUENCE_NAME FROM "
                                            "main.\"KOVA$IDENTITY\" WHERE TABLE_NAME = upper(" + QuoteText(table[0]) + ")")) {
                for (ColumnInfo& column : columns) {
                    if (Upper(column.name) == id[0])
                        column.notNull = false;  // filled when NULL
                }
                identity += IdentityTriggers(table[0], id[0], id[1] == "ALWAYS", id[2], hasRowId);
            }
        }
        std::string triggerError;
        if (!Exec(db, TableTriggers(owner, table[0], columns, hasRowId) + identity, &triggerError)) {
            // A table the dialect cannot guard stays usable, unguarded.
            qWarning("kova: no Oracle checks on table %s: %s", table[0].c_str(), triggerError.c_str());
        }
    }
    return true;
}

bool InstallViews(sqlite3* db, const std::string& owner, std::string* error)
{
    for (const char* view : OracleDictionary::ViewNames) {
        if (!Exec(db, std::string("DROP VIEW IF EXISTS temp.") + view, error))
            return false;
    }
    std::set<std::string> catalog;
    for (const auto& row : Query(db, "SELECT name FROM main.sqlite_master WHERE type = 'table' "
                                     "AND name LIKE 'KOVA$%'"))
        catalog.insert(row[0]);
    return Exec(db, OracleDictionary::Views(owner, catalog), error);
}

}  // namespace

bool Install(sqlite3* db, const std::string& owner, std::string* error)
{
    if (!RegisterOracleFunctions(db) || !OracleIntervals::Register(db)) {
        *error = sqlite3_errmsg(db);
        return false;
    }
    return Exec(db, "PRAGMA foreign_keys = ON; PRAGMA case_sensitive_like = ON;", error)
           && Refresh(db, owner, error);
}

bool Refresh(sqlite3* db, const std::string& owner, std::string* error)
{
    return InstallViews(db, owner, error) && InstallTriggers(db, owner, error);
}

}  // namespace OracleDialect
