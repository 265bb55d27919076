#include "engine/oracle/OracleDictionary.h"

#include "engine/oracle/OracleDialect.h"

namespace OracleDictionary {
namespace {

using OracleDialect::QuoteText;

// The SQL of the table named by the expression `table`.
std::string TableSql(const std::string& table)
{
    return "(SELECT t.sql FROM main.sqlite_master t WHERE t.type = 'table' AND t.name = " + table
           + " COLLATE NOCASE)";
}

// Constraint names: as the DDL wrote them, else the engine's own.
std::string PrimaryName(const std::string& table, const std::string& sql)
{
    return "coalesce(KOVA_CONSNAME(" + sql + ", 'P', ''), 'PK_' || upper(" + table + "))";
}

std::string UniqueName(const std::string& sql, const std::string& index)
{
    return "coalesce(KOVA_CONSNAME(" + sql + ", 'U', (SELECT group_concat(n, ',') FROM (SELECT upper(x.name) AS n "
           "FROM pragma_index_info(" + index + ", 'main') x ORDER BY x.seqno))), upper(replace(" + index
           + ", 'sqlite_autoindex_', 'UK_')))";
}

std::string ForeignName(const std::string& table, const std::string& id)
{
    return "coalesce(KOVA_CONSNAME(m.sql, 'R', (SELECT group_concat(n, ',') FROM (SELECT upper(g.\"from\") AS n "
           "FROM pragma_foreign_key_list(" + table + ", 'main') g WHERE g.id = " + id + " ORDER BY g.seq))), "
           "'FK_' || upper(" + table + ") || '_' || " + id + ")";
}

// The name of the constraint a foreign key (f, of table m) refers to: the
// parent's primary key when it names no columns or the key's columns, else the
// parent's unique constraint over the same columns; NULL for none (a unique
// index without a constraint).
std::string ReferencedConstraint()
{
    const std::string parentSql = TableSql("f.\"table\"");
    const std::string fkColumns = "pragma_foreign_key_list(m.name, 'main') g WHERE g.id = f.id";
    const std::string fkCount = "(SELECT count(*) FROM " + fkColumns + ")";
    return "CASE WHEN NOT EXISTS (SELECT 1 FROM " + fkColumns + " AND g.\"to\" IS NOT NULL AND NOT EXISTS "
           "(SELECT 1 FROM pragma_table_info(f.\"table\", 'main') t WHERE t.pk > 0 AND upper(t.name) = upper(g.\"to\"))) "
           "AND (SELECT count(*) FROM pragma_table_info(f.\"table\", 'main') t WHERE t.pk > 0) = " + fkCount +
           " THEN " + PrimaryName("f.\"table\"", parentSql) + " ELSE (SELECT " + UniqueName(parentSql, "i.name")
           + " FROM pragma_index_list(f.\"table\", 'main') i "
           "WHERE i.\"unique\" = 1 AND i.origin = 'u' AND (SELECT count(*) FROM pragma_index_info(i.name, 'main')) = "
           + fkCount + " AND NOT EXISTS (SELECT 1 FROM " + fkColumns + " AND NOT EXISTS (SELECT 1 FROM "
           "pragma_index_info(i.name, 'main') x WHERE upper(x.name) = upper(g.\"to\"))) ORDER BY i.name LIMIT 1) END";
}

std::string Tables(bool haveStatistics)
{
    auto stat = [&](const char* column) {
        return haveStatistics ? std::string("s.") + column : std::string("NULL");
    };
    const std::string zeroAfterAnalyze =
        haveStatistics ? "CASE WHEN s.TABLE_NAME IS NULL THEN NULL ELSE 0 END" : "NULL";
    return "CREATE TEMP VIEW USER_TABLES AS SELECT upper(m.name) AS TABLE_NAME, "
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
           + (haveStatistics ? "LEFT JOIN main.\"KOVA$TABLE_STATISTICS\" s ON s.TABLE_NAME = upper(m.name) " : "")
           + "WHERE m.type = 'table' AND " + UserObjects + ";\n";
}

// The table of column figures that ANALYZE keeps, or an empty one before the
// first ANALYZE.
std::string ColumnFigures(bool have)
{
    return have ? "main.\"KOVA$COLUMN_STATISTICS\"" : "(SELECT NULL AS TABLE_NAME, "
        "NULL AS COLUMN_NAME, NULL AS NUM_DISTINCT, NULL AS LOW_VALUE, NULL AS HIGH_VALUE, NULL AS DENSITY, "
        "NULL AS NUM_NULLS, NULL AS NUM_BUCKETS, NULL AS LAST_ANALYZED, NULL AS SAMPLE_SIZE, NULL AS AVG_COL_LEN, "
        "NULL AS HISTOGRAM WHERE 0)";
}

// The column figures and histograms that ANALYZE keeps, of the tables and
// columns that are still there; no rows before the first ANALYZE.
std::string ColumnStatistics(bool have)
{
    const std::string endpoints = have ? "main.\"KOVA$HISTOGRAMS\"" : "(SELECT NULL AS TABLE_NAME, "
        "NULL AS COLUMN_NAME, NULL AS ENDPOINT_NUMBER, NULL AS ENDPOINT_VALUE, NULL AS ENDPOINT_ACTUAL_VALUE, "
        "NULL AS ENDPOINT_REPEAT_COUNT WHERE 0)";
    const std::string columns = "main.sqlite_master m, pragma_table_info(m.name, 'main') p";
    const std::string same = "s.TABLE_NAME = upper(m.name) AND s.COLUMN_NAME = upper(p.name) AND m.type = 'table' AND "
                             + UserObjects;
    return "CREATE TEMP VIEW USER_TAB_COL_STATISTICS AS SELECT s.TABLE_NAME, s.COLUMN_NAME, s.NUM_DISTINCT, "
           "s.LOW_VALUE, s.HIGH_VALUE, s.DENSITY, s.NUM_NULLS, s.NUM_BUCKETS, s.LAST_ANALYZED, s.SAMPLE_SIZE, "
           "s.AVG_COL_LEN, s.HISTOGRAM FROM " + columns + ", " + ColumnFigures(have) + " s WHERE " + same + ";\n"
           "CREATE TEMP VIEW USER_HISTOGRAMS AS SELECT s.TABLE_NAME, s.COLUMN_NAME, s.ENDPOINT_NUMBER, "
           "s.ENDPOINT_VALUE, s.ENDPOINT_ACTUAL_VALUE, s.ENDPOINT_REPEAT_COUNT FROM " + columns + ", " + endpoints
           + " s WHERE " + same + ";\n";
}

}  // namespace

std::string Views(const std::string& owner, const std::set<std::string>& catalog)
{
    const std::string o = QuoteText(owner);
    const auto have = [&](const char* table) { return catalog.count(table) > 0; };
    const bool identity = have("KOVA$IDENTITY");
    const std::string isIdentity = identity ? "EXISTS (SELECT 1 FROM main.\"KOVA$IDENTITY\" d WHERE d.TABLE_NAME = "
                                              "upper(m.name) AND d.COLUMN_NAME = upper(p.name))"
                                            : "0";
    std::string sql;
    sql += "CREATE TEMP VIEW DUAL AS SELECT 'X' AS DUMMY;\n";
    sql += Tables(have("KOVA$TABLE_STATISTICS"));
    const bool columnFigures = have("KOVA$COLUMN_STATISTICS") && have("KOVA$HISTOGRAMS");
    sql += ColumnStatistics(columnFigures);
    const std::string viewText = have("KOVA$VIEWS")
        ? "coalesce((SELECT v.TEXT FROM main.\"KOVA$VIEWS\" v WHERE v.VIEW_NAME = upper(m.name)), KOVA_VIEW_TEXT(m.sql))"
        : "KOVA_VIEW_TEXT(m.sql)";
    // Nothing is compiled here, so nothing has errors to list.
    sql += "CREATE TEMP VIEW USER_ERRORS AS SELECT NULL AS NAME, NULL AS TYPE, NULL AS SEQUENCE, NULL AS LINE, "
           "NULL AS POSITION, NULL AS TEXT, NULL AS ATTRIBUTE, NULL AS MESSAGE_NUMBER WHERE 0;\n"
           "CREATE TEMP VIEW ALL_ERRORS AS SELECT NULL AS OWNER, * FROM USER_ERRORS;\n";
    sql += "CREATE TEMP VIEW USER_VIEWS AS SELECT upper(m.name) AS VIEW_NAME, length(" + viewText
           + ") AS TEXT_LENGTH, " + viewText + " AS TEXT FROM main.sqlite_master m WHERE m.type = 'view';\n";
    sql += "CREATE TEMP VIEW USER_TAB_COLUMNS AS SELECT upper(m.name) AS TABLE_NAME, "
           "upper(p.name) AS COLUMN_NAME, KOVA_COLTYPE(p.type, 'DATA_TYPE') AS DATA_TYPE, "
           "NULL AS DATA_TYPE_MOD, NULL AS DATA_TYPE_OWNER, "
           "KOVA_COLTYPE(p.type, 'DATA_LENGTH') AS DATA_LENGTH, "
           "KOVA_COLTYPE(p.type, 'DATA_PRECISION') AS DATA_PRECISION, "
           "KOVA_COLTYPE(p.type, 'DATA_SCALE') AS DATA_SCALE, "
           "CASE WHEN p.\"notnull\" OR p.pk > 0 OR " + isIdentity + " THEN 'N' ELSE 'Y' END AS NULLABLE, "
           "p.cid + 1 AS COLUMN_ID, p.dflt_value AS DATA_DEFAULT, "
           "KOVA_COLTYPE(p.type, 'CHAR_COL_DECL_LENGTH') AS CHAR_COL_DECL_LENGTH, "
           "KOVA_COLTYPE(p.type, 'CHAR_LENGTH') AS CHAR_LENGTH, KOVA_COLTYPE(p.type, 'CHAR_USED') AS CHAR_USED, "
           "CASE WHEN " + isIdentity + " THEN 'YES' ELSE 'NO' END AS IDENTITY_COLUMN, "
           "s.NUM_DISTINCT, s.LOW_VALUE, s.HIGH_VALUE, s.DENSITY, s.NUM_NULLS, s.NUM_BUCKETS, s.LAST_ANALYZED, "
           "s.SAMPLE_SIZE, s.AVG_COL_LEN, coalesce(s.HISTOGRAM, 'NONE') AS HISTOGRAM "
           "FROM main.sqlite_master m JOIN pragma_table_info(m.name, 'main') p LEFT JOIN " + ColumnFigures(columnFigures) + " s "
           "ON s.TABLE_NAME = upper(m.name) AND s.COLUMN_NAME = upper(p.name) "
           "WHERE m.type IN ('table', 'view') AND " + UserObjects + ";\n";

    const bool disabled = have("KOVA$DISABLED");
    const std::string primary = PrimaryName("m.name", "m.sql");
    const std::string unique = UniqueName("m.sql", "i.name");
    const std::string foreign = ForeignName("m.name", "f.id");
    sql += "CREATE TEMP VIEW USER_CONSTRAINTS AS "
           "SELECT " + o + " AS OWNER, " + primary + " AS CONSTRAINT_NAME, "
           "'P' AS CONSTRAINT_TYPE, upper(m.name) AS TABLE_NAME, NULL AS SEARCH_CONDITION, NULL AS R_OWNER, "
           "NULL AS R_CONSTRAINT_NAME, NULL AS DELETE_RULE, 'ENABLED' AS STATUS "
           "FROM main.sqlite_master m WHERE m.type = 'table' AND " + UserObjects +
           " AND EXISTS (SELECT 1 FROM pragma_table_info(m.name, 'main') p WHERE p.pk > 0) "
           "UNION ALL SELECT " + o + ", " + unique + ", 'U', upper(m.name), NULL, NULL, NULL, NULL, "
           "'ENABLED' FROM main.sqlite_master m, pragma_index_list(m.name, 'main') i "
           "WHERE m.type = 'table' AND " + UserObjects + " AND i.\"unique\" = 1 AND i.origin = 'u' "
           "UNION ALL SELECT " + o + ", " + foreign + ", 'R', upper(m.name), NULL, "
           + o + ", " + ReferencedConstraint() + ", CASE upper(f.on_delete) WHEN 'CASCADE' THEN "
           "'CASCADE' WHEN 'SET NULL' THEN 'SET NULL' ELSE 'NO ACTION' END, 'ENABLED' "
           "FROM main.sqlite_master m, pragma_foreign_key_list(m.name, 'main') f "
           "WHERE m.type = 'table' AND " + UserObjects + " AND f.seq = 0 "
           // CHECK constraints as the table's statement declares them; an
           // unnamed one is named after the table and its place.
           "UNION ALL SELECT " + o + ", coalesce(nullif(json_extract(k.value, '$[0]'), ''), "
           "'CK_' || upper(m.name) || '_' || (k.key + 1)), 'C', upper(m.name), json_extract(k.value, '$[1]'), "
           "NULL, NULL, NULL, 'ENABLED' FROM main.sqlite_master m, json_each(KOVA_CHECKS(m.sql)) k "
           "WHERE m.type = 'table' AND " + UserObjects
           + (disabled ? " UNION ALL SELECT " + o + ", d.CONSTRAINT_NAME, d.CONSTRAINT_TYPE, d.TABLE_NAME, "
                         "CASE WHEN d.CONSTRAINT_TYPE = 'C' THEN d.SEARCH_CONDITION END, "
                         "CASE WHEN d.CONSTRAINT_TYPE = 'R' THEN " + o + " END, "
                         "CASE WHEN d.CONSTRAINT_TYPE = 'R' THEN " + PrimaryName("d.R_TABLE_NAME", TableSql("d.R_TABLE_NAME"))
                         + " END, CASE WHEN d.CONSTRAINT_TYPE = 'R' THEN d.DELETE_RULE END, 'DISABLED' "
                         "FROM main.\"KOVA$DISABLED\" d"
                       : std::string())
           + ";\n";
    sql += "CREATE TEMP VIEW USER_CONS_COLUMNS AS "
           "SELECT " + o + " AS OWNER, " + primary + " AS CONSTRAINT_NAME, "
           "upper(m.name) AS TABLE_NAME, upper(p.name) AS COLUMN_NAME, p.pk AS POSITION "
           "FROM main.sqlite_master m, pragma_table_info(m.name, 'main') p "
           "WHERE m.type = 'table' AND " + UserObjects + " AND p.pk > 0 "
           "UNION ALL SELECT " + o + ", " + unique + ", upper(m.name), upper(x.name), "
           "x.seqno + 1 FROM main.sqlite_master m, pragma_index_list(m.name, 'main') i, "
           "pragma_index_info(i.name, 'main') x WHERE m.type = 'table' AND " + UserObjects +
           " AND i.\"unique\" = 1 AND i.origin = 'u' "
           "UNION ALL SELECT " + o + ", " + foreign + ", upper(m.name), "
           "upper(f.\"from\"), f.seq + 1 "
           "FROM main.sqlite_master m, pragma_foreign_key_list(m.name, 'main') f "
           "WHERE m.type = 'table' AND " + UserObjects
           + (disabled ? " UNION ALL SELECT " + o + ", d.CONSTRAINT_NAME, d.TABLE_NAME, c.value, "
                         "CASE WHEN d.CONSTRAINT_TYPE <> 'C' THEN c.key + 1 END "
                         "FROM main.\"KOVA$DISABLED\" d, json_each(d.COLUMNS) c"
                       : std::string())
           + ";\n";
    sql += have("KOVA$SEQUENCES")
        ? "CREATE TEMP VIEW USER_SEQUENCES AS SELECT SEQUENCE_NAME, coalesce(MIN_VALUE, -999999999999999999999999999) "
          "AS MIN_VALUE, coalesce(MAX_VALUE, 9999999999999999999999999999) AS MAX_VALUE, INCREMENT_BY, CYCLE_FLAG, "
          "ORDER_FLAG, CACHE_SIZE, LAST_NUMBER FROM main.\"KOVA$SEQUENCES\";\n"
        : "CREATE TEMP VIEW USER_SEQUENCES AS SELECT NULL AS SEQUENCE_NAME, NULL AS MIN_VALUE, NULL AS MAX_VALUE, "
          "NULL AS INCREMENT_BY, NULL AS CYCLE_FLAG, NULL AS ORDER_FLAG, NULL AS CACHE_SIZE, NULL AS LAST_NUMBER "
          "WHERE 0;\n";
    const std::string comment = [&](const std::string& column) {
        return have("KOVA$COMMENTS") ? "(SELECT c.COMMENTS FROM main.\"KOVA$COMMENTS\" c WHERE c.TABLE_NAME = "
                                       "upper(m.name) AND c.COLUMN_NAME = " + column + ")"
                                     : std::string("NULL");
    }("''");
    sql += "CREATE TEMP VIEW USER_TAB_COMMENTS AS SELECT upper(m.name) AS TABLE_NAME, upper(m.type) AS TABLE_TYPE, "
           + comment + " AS COMMENTS FROM main.sqlite_master m WHERE m.type IN ('table', 'view') AND "
           + UserObjects + ";\n";
    const std::string columnComment = have("KOVA$COMMENTS")
        ? "(SELECT c.COMMENTS FROM main.\"KOVA$COMMENTS\" c WHERE c.TABLE_NAME = upper(m.name) "
          "AND c.COLUMN_NAME = upper(p.name))"
        : std::string("NULL");
    sql += "CREATE TEMP VIEW USER_COL_COMMENTS AS SELECT upper(m.name) AS TABLE_NAME, upper(p.name) AS COLUMN_NAME, "
           + columnComment + " AS COMMENTS FROM main.sqlite_master m, pragma_table_info(m.name, 'main') p "
           "WHERE m.type IN ('table', 'view') AND " + UserObjects + ";\n";
    sql += identity
        ? "CREATE TEMP VIEW USER_TAB_IDENTITY_COLS AS SELECT TABLE_NAME, COLUMN_NAME, GENERATION_TYPE, "
          "SEQUENCE_NAME FROM main.\"KOVA$IDENTITY\";\n"
        : "CREATE TEMP VIEW USER_TAB_IDENTITY_COLS AS SELECT NULL AS TABLE_NAME, NULL AS COLUMN_NAME, "
          "NULL AS GENERATION_TYPE, NULL AS SEQUENCE_NAME WHERE 0;\n";
    const std::string triggers = have("KOVA$TRIGGERS") ? "main.\"KOVA$TRIGGERS\"" : "(SELECT NULL AS TRIGGER_NAME, "
        "NULL AS TABLE_NAME, NULL AS TRIGGERING_EVENT, NULL AS STATUS, NULL AS WHEN_CLAUSE, NULL AS TRIGGER_BODY, "
        "NULL AS REFERENCING_NAMES WHERE 0)";
    sql += "CREATE TEMP VIEW USER_TRIGGERS AS SELECT TRIGGER_NAME, 'BEFORE EACH ROW' AS TRIGGER_TYPE, "
           "TRIGGERING_EVENT, " + QuoteText(owner) + " AS TABLE_OWNER, 'TABLE' AS BASE_OBJECT_TYPE, TABLE_NAME, "
           "NULL AS COLUMN_NAME, REFERENCING_NAMES, WHEN_CLAUSE, STATUS, 'PL/SQL' AS ACTION_TYPE, TRIGGER_BODY "
           "FROM " + triggers + ";\n";
    return sql;
}

}  // namespace OracleDictionary
