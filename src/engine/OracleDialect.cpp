#include "engine/OracleDialect.h"

#include "engine/OracleFunctions.h"
#include "engine/OracleTypes.h"

#include <QtGlobal>

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
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

const std::string UserObjects =
    "m.name NOT LIKE 'sqlite\\_%' ESCAPE '\\' AND m.name <> 'KOVA$TABLE_STATISTICS'";

// The name of the constraint a foreign key (f, of table m) refers to: the
// parent's primary key when it names no columns or the key's columns, else the
// parent's unique constraint over the same columns; NULL for none (a unique
// index without a constraint).
std::string ReferencedConstraint(const std::string& uniqueName)
{
    const std::string fkColumns = "pragma_foreign_key_list(m.name, 'main') g WHERE g.id = f.id";
    const std::string fkCount = "(SELECT count(*) FROM " + fkColumns + ")";
    return "CASE WHEN NOT EXISTS (SELECT 1 FROM " + fkColumns + " AND g.\"to\" IS NOT NULL AND NOT EXISTS "
           "(SELECT 1 FROM pragma_table_info(f.\"table\", 'main') t WHERE t.pk > 0 AND upper(t.name) = upper(g.\"to\"))) "
           "AND (SELECT count(*) FROM pragma_table_info(f.\"table\", 'main') t WHERE t.pk > 0) = " + fkCount +
           " THEN 'PK_' || upper(f.\"table\") ELSE (SELECT " + uniqueName + " FROM pragma_index_list(f.\"table\", 'main') i "
           "WHERE i.\"unique\" = 1 AND i.origin = 'u' AND (SELECT count(*) FROM pragma_index_info(i.name, 'main')) = "
           + fkCount + " AND NOT EXISTS (SELECT 1 FROM " + fkColumns + " AND NOT EXISTS (SELECT 1 FROM "
           "pragma_index_info(i.name, 'main') x WHERE upper(x.name) = upper(g.\"to\"))) ORDER BY i.name LIMIT 1) END";
}

std::string DictionaryViews(const std::string& owner, bool haveStatistics)
{
    const std::string o = QuoteText(owner);
    auto stat = [&](const char* column) {
        return haveStatistics ? std::string("s.") + column : std::string("NULL");
    };
    const std::string zeroAfterAnalyze =
        haveStatistics ? "CASE WHEN s.TABLE_NAME IS NULL THEN NULL ELSE 0 END" : "NULL";
    std::string sql;
    sql += "CREATE TEMP VIEW DUAL AS SELECT 'X' AS DUMMY;\n";
    sql += "CREATE TEMP VIEW USER_TABLES AS SELECT upper(m.name) AS TABLE_NAME, "
           "'USERS' AS TABLESPACE_NAME, NULL AS CLUSTER_NAME, NULL AS IOT_NAME, 10 AS PCT_FREE, "
           "40 AS PCT_USED, 1 AS INI_TRANS, 255 AS MAX_TRANS, 65536 AS INITIAL_EXTENT, "
           "1048576 AS NEXT_EXTENT, 1 AS MIN_EXTENTS, 2147483645 AS MAX_EXTENTS, "
           "0 AS PCT_INCREASE, 1 AS FREELISTS, 1 AS FREELIST_GROUPS, 'YES' AS LOGGING, "
           "'N' AS BACKED_UP, "
        + stat("NUM_ROWS") + " AS NUM_ROWS, " + stat("BLOCKS") + " AS BLOCKS, "
        + stat("EMPTY_BLOCKS") + " AS EMPTY_BLOCKS, " + stat("AVG_SPACE") + " AS AVG_SPACE, "
        + stat("CHAIN_CNT") + " AS CHAIN_CNT, " + stat("AVG_ROW_LEN") + " AS AVG_ROW_LEN, "
        + zeroAfterAnalyze + " AS AVG_SPACE_FREELIST_BLOCKS, " + zeroAfterAnalyze
        + " AS NUM_FREELIST_BLOCKS, '         1' AS DEGREE, '         1' AS INSTANCES, "
          "'    N' AS CACHE, 'ENABLED' AS TABLE_LOCK, "
        + stat("SAMPLE_SIZE") + " AS SAMPLE_SIZE, " + stat("LAST_ANALYZED")
        + " AS LAST_ANALYZED, 'NO' AS PARTITIONED, NULL AS IOT_TYPE, 'N' AS TEMPORARY, "
          "'N' AS SECONDARY, 'NO' AS NESTED, 'DEFAULT' AS BUFFER_POOL, "
          "'DISABLED' AS ROW_MOVEMENT, 'NO' AS GLOBAL_STATS, 'NO' AS USER_STATS, "
          "NULL AS DURATION, 'DISABLED' AS SKIP_CORRUPT, 'NO' AS MONITORING, "
          "NULL AS CLUSTER_OWNER FROM main.sqlite_master m "
        + (haveStatistics ? "LEFT JOIN main.\"KOVA$TABLE_STATISTICS\" s ON s.TABLE_NAME = upper(m.name) "
                          : "")
        + "WHERE m.type = 'table' AND " + UserObjects + ";\n";
    sql += "CREATE TEMP VIEW USER_VIEWS AS SELECT upper(m.name) AS VIEW_NAME, "
           "length(KOVA_VIEW_TEXT(m.sql)) AS TEXT_LENGTH, KOVA_VIEW_TEXT(m.sql) AS TEXT "
           "FROM main.sqlite_master m WHERE m.type = 'view';\n";
    sql += "CREATE TEMP VIEW USER_TAB_COLUMNS AS SELECT upper(m.name) AS TABLE_NAME, "
           "upper(p.name) AS COLUMN_NAME, KOVA_COLTYPE(p.type, 'DATA_TYPE') AS DATA_TYPE, "
           "NULL AS DATA_TYPE_MOD, NULL AS DATA_TYPE_OWNER, "
           "KOVA_COLTYPE(p.type, 'DATA_LENGTH') AS DATA_LENGTH, "
           "KOVA_COLTYPE(p.type, 'DATA_PRECISION') AS DATA_PRECISION, "
           "KOVA_COLTYPE(p.type, 'DATA_SCALE') AS DATA_SCALE, "
           "CASE WHEN p.\"notnull\" OR p.pk > 0 THEN 'N' ELSE 'Y' END AS NULLABLE, "
           "p.cid + 1 AS COLUMN_ID, p.dflt_value AS DATA_DEFAULT, "
           "KOVA_COLTYPE(p.type, 'CHAR_COL_DECL_LENGTH') AS CHAR_COL_DECL_LENGTH "
           "FROM main.sqlite_master m, pragma_table_info(m.name, 'main') p "
           "WHERE m.type IN ('table', 'view') AND " + UserObjects + ";\n";
    const std::string uniqueName = "upper(replace(i.name, 'sqlite_autoindex_', 'UK_'))";
    sql += "CREATE TEMP VIEW USER_CONSTRAINTS AS "
           "SELECT " + o + " AS OWNER, 'PK_' || upper(m.name) AS CONSTRAINT_NAME, "
           "'P' AS CONSTRAINT_TYPE, upper(m.name) AS TABLE_NAME, NULL AS SEARCH_CONDITION, NULL AS R_OWNER, "
           "NULL AS R_CONSTRAINT_NAME, NULL AS DELETE_RULE, 'ENABLED' AS STATUS "
           "FROM main.sqlite_master m WHERE m.type = 'table' AND " + UserObjects +
           " AND EXISTS (SELECT 1 FROM pragma_table_info(m.name, 'main') p WHERE p.pk > 0) "
           "UNION ALL SELECT " + o + ", " + uniqueName + ", 'U', upper(m.name), NULL, NULL, NULL, NULL, "
           "'ENABLED' FROM main.sqlite_master m, pragma_index_list(m.name, 'main') i "
           "WHERE m.type = 'table' AND " + UserObjects + " AND i.\"unique\" = 1 AND i.origin = 'u' "
           "UNION ALL SELECT " + o + ", 'FK_' || upper(m.name) || '_' || f.id, 'R', upper(m.name), NULL, "
           + o + ", " + ReferencedConstraint(uniqueName) + ", CASE upper(f.on_delete) WHEN 'CASCADE' THEN "
           "'CASCADE' ELSE 'NO ACTION' END, 'ENABLED' "
           "FROM main.sqlite_master m, pragma_foreign_key_list(m.name, 'main') f "
           "WHERE m.type = 'table' AND " + UserObjects + " AND f.seq = 0 "
           // CHECK constraints as the table's statement declares them; an
           // unnamed one is named after the table and its place.
           "UNION ALL SELECT " + o + ", coalesce(nullif(json_extract(k.value, '$[0]'), ''), "
           "'CK_' || upper(m.name) || '_' || (k.key + 1)), 'C', upper(m.name), json_extract(k.value, '$[1]'), "
           "NULL, NULL, NULL, 'ENABLED' FROM main.sqlite_master m, json_each(KOVA_CHECKS(m.sql)) k "
           "WHERE m.type = 'table' AND " + UserObjects + ";\n";
    sql += "CREATE TEMP VIEW USER_CONS_COLUMNS AS "
           "SELECT " + o + " AS OWNER, 'PK_' || upper(m.name) AS CONSTRAINT_NAME, "
           "upper(m.name) AS TABLE_NAME, upper(p.name) AS COLUMN_NAME, p.pk AS POSITION "
           "FROM main.sqlite_master m, pragma_table_info(m.name, 'main') p "
           "WHERE m.type = 'table' AND " + UserObjects + " AND p.pk > 0 "
           "UNION ALL SELECT " + o + ", " + uniqueName + ", upper(m.name), upper(x.name), "
           "x.seqno + 1 FROM main.sqlite_master m, pragma_index_list(m.name, 'main') i, "
           "pragma_index_info(i.name, 'main') x WHERE m.type = 'table' AND " + UserObjects +
           " AND i.\"unique\" = 1 AND i.origin = 'u' "
           "UNION ALL SELECT " + o + ", 'FK_' || upper(m.name) || '_' || f.id, upper(m.name), "
           "upper(f.\"from\"), f.seq + 1 "
           "FROM main.sqlite_master m, pragma_foreign_key_list(m.name, 'main') f "
           "WHERE m.type = 'table' AND " + UserObjects + ";\n";
    return sql;
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

bool InstallTriggers(sqlite3* db, const std::string& owner, std::string* error)
{
    for (const auto& row : Query(db, "SELECT name FROM temp.sqlite_master WHERE type = 'trigger' "
                                     "AND name LIKE 'kova\\_%' ESCAPE '\\'")) {
        if (!Exec(db, "DROP TRIGGER temp." + QuoteName(row[0]), error))
            return false;
    }
    const auto tables = Query(db, "SELECT m.name, upper(m.sql) FROM main.sqlite_master m "
                                  "WHERE m.type = 'table' AND " + UserObjects);
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
        std::string triggerError;
        if (!Exec(db, TableTriggers(owner, table[0], columns, hasRowId), &triggerError)) {
            // A table the dialect cannot guard stays usable, unguarded.
            qWarning("kova: no Oracle checks on table %s: %s", table[0].c_str(), triggerError.c_str());
        }
    }
    return true;
}

bool InstallViews(sqlite3* db, const std::string& owner, std::string* error)
{
    for (const char* view : {"DUAL", "USER_TABLES", "USER_VIEWS", "USER_TAB_COLUMNS",
                             "USER_CONSTRAINTS", "USER_CONS_COLUMNS"}) {
        if (!Exec(db, std::string("DROP VIEW IF EXISTS temp.") + view, error))
            return false;
    }
    const bool haveStatistics =
        !Query(db, "SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND name = "
                   "'KOVA$TABLE_STATISTICS'").empty();
    return Exec(db, DictionaryViews(owner, haveStatistics), error);
}

}  // namespace

bool Install(sqlite3* db, const std::string& owner, std::string* error)
{
    if (!RegisterOracleFunctions(db)) {
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
