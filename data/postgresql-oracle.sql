-- postgresql-oracle.sql: lets kova work with a PostgreSQL 15 database.
--
-- 使い方 (usage): run once per database, as a superuser:
--     psql -v ON_ERROR_STOP=1 -d DATABASE -f postgresql-oracle.sql
-- Running it again is harmless (it only replaces what it created).
--
-- What it does:
--   * installs orafce (Debian: postgresql-15-orafce): DECODE, NVL, TO_DATE
--     with time, SYSDATE(), DUAL, and the types DATE (= timestamp(0)),
--     VARCHAR2 and NVARCHAR2 in schema oracle;
--   * creates schema kova_oracle with Oracle's dictionary views USER_TABLES,
--     USER_VIEWS, USER_TAB_COLUMNS, USER_TAB_IDENTITY_COLS, USER_CONSTRAINTS, USER_CONS_COLUMNS,
--     USER_SEQUENCES, USER_TAB_COMMENTS, USER_COL_COMMENTS, USER_TAB_COL_STATISTICS and USER_HISTOGRAMS
--     (from pg_stats after ANALYZE), V$SQL and V$SQLTEXT (the latter two from pg_stat_statements, when
--     shared_preload_libraries loads it);
--   * sets the database's search_path to
--         "$user", public, kova_oracle, oracle, pg_catalog
--     so that the user's tables come first, then our views (before orafce's
--     views of the same names), then orafce, and pg_catalog last, so that
--     DATE means oracle.date and TO_DATE keeps the time of day.
--     New tables still go to "$user" or public.
--     A role with its own search_path setting needs the same path.
--
-- Names are shown as Oracle shows them, in capitals. Only a-z are changed.
-- kova_oracle.kova_names keeps each shown name beside the server's own
-- spelling, which kova writes into its statements.

CREATE EXTENSION IF NOT EXISTS orafce;
CREATE SCHEMA IF NOT EXISTS kova_oracle;
SET search_path = pg_catalog, pg_temp;

CREATE OR REPLACE FUNCTION kova_oracle.ora_name(text) RETURNS text
LANGUAGE sql IMMUTABLE PARALLEL SAFE
RETURN pg_catalog.translate($1, 'abcdefghijklmnopqrstuvwxyz', 'ABCDEFGHIJKLMNOPQRSTUVWXYZ');

-- NVL(NULL, 'x'): orafce's NVL cannot choose among its variants when both
-- arguments are untyped; text is what Oracle would give.
CREATE OR REPLACE FUNCTION kova_oracle.nvl(text, text) RETURNS text
LANGUAGE sql IMMUTABLE PARALLEL SAFE
RETURN coalesce($1, $2);

-- Oracle's type for a column of type typid/typmod. kova knows NUMBER, CHAR,
-- VARCHAR2 and DATE, so:
--   numeric(p,s) -> NUMBER(p,s); numeric -> NUMBER;
--   smallint/integer/bigint -> NUMBER(5/10/19,0): the range of values fits;
--   real/double precision -> NUMBER (no precision, like Oracle's FLOAT);
--   char(n) -> CHAR(n); varchar(n), varchar2(n) -> VARCHAR2(n);
--   text, and varchar/varchar2 without length -> VARCHAR2(4000), Oracle's
--     classic maximum (PostgreSQL has no limit there);
--   nvarchar2(n) -> NVARCHAR2(n);
--   date, oracle.date, timestamp(0) -> DATE; other timestamps -> TIMESTAMP(n);
--   bytea -> BLOB; anything else -> its PostgreSQL name in capitals.
-- Lengths of character types are given as declared; kova_oracle.char_used
-- says what they count.
CREATE OR REPLACE FUNCTION kova_oracle.ora_type(typid oid, typmod int)
RETURNS TABLE (data_type text, data_length numeric, data_precision numeric,
               data_scale numeric, char_length numeric)
LANGUAGE sql STABLE PARALLEL SAFE
BEGIN ATOMIC
  WITH RECURSIVE dom AS (  -- a domain: oracle.date by itself, any other by its base type
    SELECT t.oid, typmod AS mod, t.typtype, t.typbasetype, t.typtypmod, t.typlen, 0 AS depth
      FROM pg_type t WHERE t.oid = typid
    UNION ALL
    SELECT t.oid, d.typtypmod, t.typtype, t.typbasetype, t.typtypmod, t.typlen, d.depth + 1
      FROM dom d JOIN pg_type t ON t.oid = d.typbasetype
     WHERE d.typtype = 'd' AND d.oid <> 'oracle.date'::regtype
  ), base AS (
    SELECT d.oid, d.mod, d.typlen, CASE WHEN d.mod > 4 THEN d.mod - 4 END AS n,
           CASE WHEN d.mod >= 0 THEN d.mod ELSE 6 END AS fs,
           CASE WHEN d.oid IN ('oracle.date'::regtype, 'pg_catalog.date'::regtype)
                  OR (d.oid = 'pg_catalog.timestamp'::regtype AND d.mod = 0) THEN 'DATE'
                WHEN d.oid IN ('int2'::regtype, 'int4'::regtype, 'int8'::regtype) THEN 'INT'
                WHEN d.oid = 'numeric'::regtype THEN 'NUMERIC'
                WHEN d.oid IN ('float4'::regtype, 'float8'::regtype) THEN 'FLOAT'
                WHEN d.oid = 'bpchar'::regtype THEN 'CHAR'
                WHEN d.oid IN ('varchar'::regtype, 'text'::regtype, 'oracle.varchar2'::regtype) THEN 'VARCHAR2'
                WHEN d.oid = 'oracle.nvarchar2'::regtype THEN 'NVARCHAR2'
                WHEN d.oid = 'pg_catalog.timestamp'::regtype THEN 'TS'
                WHEN d.oid = 'timestamptz'::regtype THEN 'TSTZ'
                WHEN d.oid = 'bytea'::regtype THEN 'BLOB'
           END AS kind
      FROM dom d ORDER BY d.depth DESC LIMIT 1
  ), sized AS (
    SELECT b.*, CASE b.kind WHEN 'CHAR' THEN coalesce(b.n, 2000) WHEN 'NVARCHAR2' THEN coalesce(b.n, 2000)
                            WHEN 'VARCHAR2' THEN coalesce(b.n, 4000) END AS chars
      FROM base b
  )
  SELECT CASE WHEN s.kind IN ('INT', 'NUMERIC', 'FLOAT') THEN 'NUMBER'
              WHEN s.kind = 'TS' THEN format('TIMESTAMP(%s)', s.fs)
              WHEN s.kind = 'TSTZ' THEN format('TIMESTAMP(%s) WITH TIME ZONE', s.fs)
              ELSE coalesce(s.kind, upper(format_type(s.oid, s.mod))) END,
         CASE s.kind WHEN 'DATE' THEN 7 WHEN 'INT' THEN 22 WHEN 'NUMERIC' THEN 22 WHEN 'FLOAT' THEN 22
                     WHEN 'TS' THEN 11 WHEN 'TSTZ' THEN 13 WHEN 'BLOB' THEN 4000
                     WHEN 'NVARCHAR2' THEN 2 * s.chars
                     ELSE coalesce(s.chars, CASE WHEN s.typlen > 0 THEN s.typlen END) END,
         CASE WHEN s.oid = 'int2'::regtype THEN 5 WHEN s.oid = 'int4'::regtype THEN 10
              WHEN s.oid = 'int8'::regtype THEN 19
              WHEN s.kind = 'NUMERIC' AND s.mod >= 4 THEN ((s.mod - 4) >> 16) & 65535 END,
         CASE WHEN s.kind = 'INT' THEN 0 WHEN s.kind IN ('TS', 'TSTZ') THEN s.fs
              WHEN s.kind = 'NUMERIC' AND s.mod >= 4 THEN (((s.mod - 4) & 2047) # 1024) - 1024 END,
         s.chars
    FROM sized s;
END;

-- CHAR_USED of a character column of type typid: 'B' for orafce's VARCHAR2,
-- whose length counts bytes ('清水 美' is 10 of them, too long for
-- VARCHAR2(4)), 'C' for the types whose length counts characters: varchar,
-- char (bpchar), orafce's NVARCHAR2, text. A domain counts as its base type.
CREATE OR REPLACE FUNCTION kova_oracle.char_used(typid oid)
RETURNS text
LANGUAGE sql STABLE PARALLEL SAFE
BEGIN ATOMIC
  WITH RECURSIVE dom AS (
    SELECT t.oid, t.typtype, t.typbasetype, 0 AS depth FROM pg_type t WHERE t.oid = typid
    UNION ALL
    SELECT t.oid, t.typtype, t.typbasetype, d.depth + 1
      FROM dom d JOIN pg_type t ON t.oid = d.typbasetype
     WHERE d.typtype = 'd'
  )
  SELECT CASE WHEN d.oid = 'oracle.varchar2'::regtype THEN 'B' ELSE 'C' END
    FROM dom d ORDER BY d.depth DESC LIMIT 1;
END;

-- Tables and views the current user owns and reaches by their bare names;
-- partitions are left out (Oracle lists them apart), as is what extensions
-- brought along.
CREATE OR REPLACE VIEW kova_oracle.kova_relations AS
SELECT c.*, n.nspname
  FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace
 WHERE c.relkind IN ('r', 'p', 'v') AND NOT c.relispartition
   AND pg_get_userbyid(c.relowner) = current_user
   AND pg_table_is_visible(c.oid)
   AND n.nspname NOT IN ('pg_catalog', 'information_schema', 'kova_oracle')
   AND NOT EXISTS (SELECT FROM pg_depend d
                    WHERE d.deptype = 'e' AND ((d.classid = 'pg_namespace'::regclass AND d.objid = n.oid)
                       OR (d.classid = 'pg_class'::regclass AND d.objid = c.oid)));

-- Statistics columns are NULL until the table has been analysed (reltuples is
-- -1 until then), as in Oracle. LAST_ANALYZED comes from the statistics
-- collector, which forgets it after a crash; reltuples does not.
-- SAMPLE_SIZE is what ANALYZE reads: at most 300 x default_statistics_target rows.
-- PCT_FREE is what fillfactor keeps free (PostgreSQL's default fillfactor is
-- 100, so 0). MONITORING is YES: PostgreSQL counts changes for autoanalyze.
CREATE OR REPLACE VIEW kova_oracle.user_tables AS
SELECT kova_oracle.ora_name(c.relname) AS table_name,
       upper(coalesce(ts.spcname, dts.spcname)) AS tablespace_name,
       NULL::text AS cluster_name, NULL::text AS iot_name,
       (100 - coalesce(ff.fillfactor, 100))::numeric AS pct_free,
       40::numeric AS pct_used, 1::numeric AS ini_trans, 255::numeric AS max_trans,
       current_setting('block_size')::numeric AS initial_extent,
       current_setting('block_size')::numeric AS next_extent,
       1::numeric AS min_extents, 2147483645::numeric AS max_extents, 0::numeric AS pct_increase,
       1::numeric AS freelists, 1::numeric AS freelist_groups,
       CASE WHEN c.relpersistence = 'p' THEN 'YES' ELSE 'NO' END AS logging,
       'N'::text AS backed_up,
       CASE WHEN st.done THEN round(c.reltuples)::numeric END AS num_rows,
       CASE WHEN st.done THEN c.relpages::numeric END AS blocks,
       st.zero AS empty_blocks, st.zero AS avg_space, st.zero AS chain_cnt,
       CASE WHEN st.done THEN coalesce(w.width, 0) END AS avg_row_len,
       st.zero AS avg_space_freelist_blocks, st.zero AS num_freelist_blocks,
       '         1'::text AS degree, '         1'::text AS instances, '    N'::text AS cache,
       'ENABLED'::text AS table_lock,
       CASE WHEN st.done THEN least(round(c.reltuples)::numeric,
            300 * current_setting('default_statistics_target')::numeric) END AS sample_size,
       st.analyzed AS last_analyzed,
       CASE WHEN c.relkind = 'p' THEN 'YES' ELSE 'NO' END AS partitioned,
       NULL::text AS iot_type,
       CASE WHEN c.relpersistence = 't' THEN 'Y' ELSE 'N' END AS temporary,
       'N'::text AS secondary, 'NO'::text AS nested, 'DEFAULT'::text AS buffer_pool,
       CASE WHEN c.relkind = 'p' THEN 'ENABLED' ELSE 'DISABLED' END AS row_movement,
       CASE WHEN st.done THEN 'YES' ELSE 'NO' END AS global_stats,
       'NO'::text AS user_stats,
       CASE WHEN c.relpersistence = 't' THEN 'SYS$SESSION' END AS duration,
       'DISABLED'::text AS skip_corrupt, 'YES'::text AS monitoring,
       NULL::text AS cluster_owner
  FROM kova_oracle.kova_relations c
  LEFT JOIN pg_tablespace ts ON ts.oid = c.reltablespace
  LEFT JOIN pg_database db ON db.datname = current_database()
  LEFT JOIN pg_tablespace dts ON dts.oid = db.dattablespace
  CROSS JOIN LATERAL (SELECT c.reltuples >= 0 AS done, CASE WHEN c.reltuples >= 0 THEN 0::numeric END AS zero,
         greatest(pg_stat_get_last_analyze_time(c.oid),
                  pg_stat_get_last_autoanalyze_time(c.oid))::timestamp(0) AS analyzed) st
  LEFT JOIN LATERAL (SELECT o.option_value::int AS fillfactor FROM pg_options_to_table(c.reloptions) o
                      WHERE o.option_name = 'fillfactor') ff ON true
  LEFT JOIN LATERAL (SELECT sum(s.avg_width)::numeric AS width FROM pg_stats s
                      WHERE s.schemaname = c.nspname AND s.tablename = c.relname) w ON true
 WHERE c.relkind IN ('r', 'p');

-- PostgreSQL keeps the parsed query of a view, not the text it was given.
CREATE OR REPLACE VIEW kova_oracle.user_views AS
SELECT kova_oracle.ora_name(c.relname) AS view_name,
       octet_length(v.text)::numeric AS text_length, v.text,
       NULL::numeric AS type_text_length, NULL::text AS type_text,
       NULL::numeric AS oid_text_length, NULL::text AS oid_text,
       NULL::text AS view_type_owner, NULL::text AS view_type, NULL::text AS superview_name
  FROM kova_oracle.kova_relations c
  CROSS JOIN LATERAL (SELECT rtrim(btrim(pg_get_viewdef(c.oid, true), E' \n'), ';') AS text) v
 WHERE c.relkind = 'v';

-- COLUMN_ID counts the columns that are left (dropped ones keep their attnum).
CREATE OR REPLACE VIEW kova_oracle.user_tab_columns AS
SELECT kova_oracle.ora_name(c.relname) AS table_name,
       kova_oracle.ora_name(a.attname) AS column_name,
       t.data_type, NULL::text AS data_type_mod, NULL::text AS data_type_owner,
       t.data_length, t.data_precision, t.data_scale,
       CASE WHEN a.attnotnull THEN 'N' ELSE 'Y' END AS nullable,
       (SELECT count(*) FROM pg_attribute b
         WHERE b.attrelid = a.attrelid AND b.attnum > 0 AND b.attnum <= a.attnum
           AND NOT b.attisdropped)::numeric AS column_id,
       octet_length(d.def)::numeric AS default_length, d.def AS data_default,
       t.char_length AS char_col_decl_length,
       coalesce(t.char_length, 0) AS char_length,
       CASE WHEN t.char_length IS NOT NULL THEN kova_oracle.char_used(a.atttypid) END AS char_used
  FROM kova_oracle.kova_relations c
  JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped
  LEFT JOIN pg_attrdef ad ON ad.adrelid = a.attrelid AND ad.adnum = a.attnum
  CROSS JOIN LATERAL (SELECT pg_get_expr(ad.adbin, ad.adrelid) AS def) d
  CROSS JOIN LATERAL kova_oracle.ora_type(a.atttypid, a.atttypmod) t;

-- Identity columns: GENERATED ALWAYS ones take no value in an INSERT.
CREATE OR REPLACE VIEW kova_oracle.user_tab_identity_cols AS
SELECT kova_oracle.ora_name(c.relname) AS table_name,
       kova_oracle.ora_name(a.attname) AS column_name,
       CASE a.attidentity WHEN 'a' THEN 'ALWAYS' ELSE 'BY DEFAULT' END AS generation_type,
       NULL::text AS sequence_name
  FROM kova_oracle.kova_relations c
  JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped AND a.attidentity <> '';

-- Each table's and view's columns (a row with NULL columns for one without
-- any) as the views above show them, beside the spelling the catalogue holds
-- and the way PostgreSQL itself writes that name (quote_ident). kova writes
-- every table and column name of its statements from here, so that a table
-- made as "level" or "MixedCase" is named as it was made.
CREATE OR REPLACE VIEW kova_oracle.kova_names AS
SELECT kova_oracle.ora_name(c.relname) AS table_name, c.relname::text AS table_spelling,
       quote_ident(c.relname) AS table_sql,
       kova_oracle.ora_name(a.attname) AS column_name, a.attname::text AS column_spelling,
       quote_ident(a.attname) AS column_sql
  FROM kova_oracle.kova_relations c
  LEFT JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped
 ORDER BY c.relname, a.attnum;

-- Primary key, unique, foreign key and check constraints. NOT NULL is not a
-- constraint of its own in PostgreSQL 15; see NULLABLE in USER_TAB_COLUMNS.
CREATE OR REPLACE VIEW kova_oracle.user_constraints AS
SELECT kova_oracle.ora_name(pg_get_userbyid(c.relowner)) AS owner,
       kova_oracle.ora_name(k.conname) AS constraint_name,
       CASE k.contype WHEN 'f' THEN 'R' ELSE upper(k.contype::text) END AS constraint_type,
       kova_oracle.ora_name(c.relname) AS table_name,
       CASE WHEN k.contype = 'c' THEN pg_get_expr(k.conbin, k.conrelid) END AS search_condition,
       kova_oracle.ora_name(pg_get_userbyid(rc.relowner)) AS r_owner,
       kova_oracle.ora_name(rk.conname) AS r_constraint_name,
       CASE WHEN k.contype = 'f' THEN CASE k.confdeltype WHEN 'c' THEN 'CASCADE'
            WHEN 'n' THEN 'SET NULL' WHEN 'd' THEN 'SET DEFAULT' ELSE 'NO ACTION' END END AS delete_rule,
       'ENABLED'::text AS status,
       CASE WHEN k.condeferrable THEN 'DEFERRABLE' ELSE 'NOT DEFERRABLE' END AS deferrable,
       CASE WHEN k.condeferred THEN 'DEFERRED' ELSE 'IMMEDIATE' END AS deferred,
       CASE WHEN k.convalidated THEN 'VALIDATED' ELSE 'NOT VALIDATED' END AS validated,
       'USER NAME'::text AS generated, NULL::text AS bad, NULL::text AS rely,
       NULL::timestamp(0) AS last_change,
       CASE WHEN ic.oid IS NOT NULL THEN kova_oracle.ora_name(pg_get_userbyid(ic.relowner)) END AS index_owner,
       kova_oracle.ora_name(ic.relname) AS index_name
  FROM kova_oracle.kova_relations c
  JOIN pg_constraint k ON k.conrelid = c.oid AND k.contype IN ('p', 'u', 'f', 'c')
  LEFT JOIN pg_class rc ON rc.oid = k.confrelid
  LEFT JOIN pg_constraint rk ON k.contype = 'f' AND rk.conrelid = k.confrelid
       AND rk.conindid = k.conindid AND rk.contype IN ('p', 'u')
  LEFT JOIN pg_class ic ON k.contype IN ('p', 'u') AND ic.oid = k.conindid;

CREATE OR REPLACE VIEW kova_oracle.user_cons_columns AS
SELECT kova_oracle.ora_name(pg_get_userbyid(c.relowner)) AS owner,
       kova_oracle.ora_name(k.conname) AS constraint_name,
       kova_oracle.ora_name(c.relname) AS table_name,
       kova_oracle.ora_name(a.attname) AS column_name,
       CASE WHEN k.contype <> 'c' THEN u.n::numeric END AS position
  FROM kova_oracle.kova_relations c
  JOIN pg_constraint k ON k.conrelid = c.oid AND k.contype IN ('p', 'u', 'f', 'c')
  CROSS JOIN LATERAL unnest(k.conkey) WITH ORDINALITY u(attnum, n)
  JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum = u.attnum;

-- Sequences the current user owns and reaches by their bare names (those
-- that extensions brought along left out). LAST_NUMBER is the next value the
-- sequence hands out: its start while it has handed out none.
CREATE OR REPLACE VIEW kova_oracle.user_sequences AS
SELECT kova_oracle.ora_name(c.relname) AS sequence_name,
       s.seqmin::numeric AS min_value, s.seqmax::numeric AS max_value,
       s.seqincrement::numeric AS increment_by,
       CASE WHEN s.seqcycle THEN 'Y' ELSE 'N' END AS cycle_flag,
       'N'::text AS order_flag, s.seqcache::numeric AS cache_size,
       coalesce(pg_sequence_last_value(c.oid)::numeric + s.seqincrement, s.seqstart::numeric) AS last_number
  FROM pg_class c
  JOIN pg_namespace n ON n.oid = c.relnamespace
  JOIN pg_sequence s ON s.seqrelid = c.oid
 WHERE c.relkind = 'S' AND pg_get_userbyid(c.relowner) = current_user
   AND pg_table_is_visible(c.oid)
   AND n.nspname NOT IN ('pg_catalog', 'information_schema', 'kova_oracle')
   AND NOT EXISTS (SELECT FROM pg_depend d
                    WHERE d.deptype = 'e' AND ((d.classid = 'pg_namespace'::regclass AND d.objid = n.oid)
                       OR (d.classid = 'pg_class'::regclass AND d.objid = c.oid)));

-- Every table and view, and every column of them, with its comment (NULL
-- where it has none), as Oracle lists them.
CREATE OR REPLACE VIEW kova_oracle.user_tab_comments AS
SELECT kova_oracle.ora_name(c.relname) AS table_name,
       CASE WHEN c.relkind = 'v' THEN 'VIEW' ELSE 'TABLE' END AS table_type,
       obj_description(c.oid, 'pg_class') AS comments
  FROM kova_oracle.kova_relations c;

CREATE OR REPLACE VIEW kova_oracle.user_col_comments AS
SELECT kova_oracle.ora_name(c.relname) AS table_name,
       kova_oracle.ora_name(a.attname) AS column_name,
       col_description(c.oid, a.attnum) AS comments
  FROM kova_oracle.kova_relations c
  JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped;

-- Column statistics as Oracle shows them, over what ANALYZE keeps in
-- pg_stats: USER_TAB_COL_STATISTICS and USER_HISTOGRAMS. The smallest and
-- largest values (LOW_VALUE, HIGH_VALUE) are Oracle's internal byte forms in
-- hexadecimal, written by the three functions below.
--
-- NUMBER: an exponent byte and base-100 digits (C102 is 1, 3E6466 is -1), at
-- most 20 of them (further digits are cut); NaN and the infinities give NULL.
CREATE OR REPLACE FUNCTION kova_oracle.ora_number_raw(v numeric) RETURNS text
LANGUAGE plpgsql IMMUTABLE PARALLEL SAFE AS $f$
DECLARE
  t text;
  ip text;
  fp text;
  digits text;
  expo int;
  n int;
  d int;
  bytes int[];
BEGIN
  IF v IS NULL OR v::text IN ('NaN', 'Infinity', '-Infinity') THEN
    RETURN NULL;
  END IF;
  IF v = 0 THEN
    RETURN '80';
  END IF;
  t := abs(v)::text;
  ip := ltrim(split_part(t, '.', 1), '0');
  fp := rtrim(split_part(t, '.', 2), '0');
  IF length(ip) % 2 = 1 THEN ip := '0' || ip; END IF;
  IF length(fp) % 2 = 1 THEN fp := fp || '0'; END IF;
  digits := ip || fp;
  expo := length(ip) / 2 - 1;
  WHILE left(digits, 2) = '00' LOOP
    digits := substr(digits, 3);
    expo := expo - 1;
  END LOOP;
  digits := left(digits, 40);
  WHILE right(digits, 2) = '00' LOOP
    digits := left(digits, -2);
  END LOOP;
  IF expo < -65 OR expo > 62 THEN
    RETURN NULL;
  END IF;
  n := length(digits) / 2;
  bytes := ARRAY[CASE WHEN v > 0 THEN 193 + expo ELSE 62 - expo END];
  FOR i IN 0 .. n - 1 LOOP
    d := substr(digits, 2 * i + 1, 2)::int;
    bytes := bytes || CASE WHEN v > 0 THEN d + 1 ELSE 101 - d END;
  END LOOP;
  IF v < 0 AND n < 20 THEN
    bytes := bytes || 102;
  END IF;
  RETURN (SELECT string_agg(upper(lpad(to_hex(b), 2, '0')), '' ORDER BY o) FROM unnest(bytes) WITH ORDINALITY u(b, o));
END;
$f$;

-- DATE: century + 100, year of the century + 100, month, day, hour + 1,
-- minute + 1, second + 1; with a fraction of a second, the TIMESTAMP form
-- and its nanoseconds in four more bytes. Years outside 1 to 9999 give NULL.
CREATE OR REPLACE FUNCTION kova_oracle.ora_date_raw(v timestamp) RETURNS text
LANGUAGE sql IMMUTABLE PARALLEL SAFE
RETURN (SELECT CASE WHEN y BETWEEN 1 AND 9999 THEN
          upper(concat(lpad(to_hex(y / 100 + 100), 2, '0'), lpad(to_hex(y % 100 + 100), 2, '0'),
                        lpad(to_hex(extract(month FROM v)::int), 2, '0'), lpad(to_hex(extract(day FROM v)::int), 2, '0'),
                        lpad(to_hex(extract(hour FROM v)::int + 1), 2, '0'),
                        lpad(to_hex(extract(minute FROM v)::int + 1), 2, '0'),
                        lpad(to_hex(floor(extract(second FROM v))::int + 1), 2, '0'),
                        CASE WHEN ns > 0 THEN lpad(to_hex(ns), 8, '0') END)) END
          FROM (SELECT extract(year FROM v)::int AS y,
                       ((extract(microseconds FROM v)::bigint % 1000000) * 1000)::int AS ns) p);

-- Texts: their UTF-8 bytes, at most 32 of them (a character is never cut).
CREATE OR REPLACE FUNCTION kova_oracle.ora_text_raw(v text) RETURNS text
LANGUAGE sql IMMUTABLE PARALLEL SAFE
RETURN (SELECT upper(encode(convert_to(left(v, max(n)), 'UTF8'), 'hex'))
          FROM generate_series(0, least(length(v), 32)) n
         WHERE octet_length(convert_to(left(v, n), 'UTF8')) <= 32);

-- A column's values as pg_stats keeps them (fam: N numbers, D dates and
-- timestamps, T texts; the rows of the table; the NULL share; the most common
-- values and their shares; the histogram's bounds), merged in value order: a
-- row per value with the histogram's kind, the rows up to and including it
-- (the rows outside the most common values spread evenly: each of K bounds
-- closes 1/K of them, a most common value between two bounds takes its part
-- of the next one's in proportion to the value for numbers and dates, half
-- of it for texts), the value as a number and as text, its own rows (a most
-- common value's, else 1; 0 in a frequency histogram) and its byte form.
-- The K bounds close K - 1 buckets: the first bound, the smallest value the
-- sample saw, closes only its own rows, as many as one of the distinct
-- values outside the most common ones (distinct_) holds on average.
--   FREQUENCY: the most common values cover every non-NULL row;
--   HYBRID: there are bounds, and every value is an endpoint;
--   NONE: neither (the rows still give the smallest and largest value).
DROP FUNCTION IF EXISTS kova_oracle.kova_column_values(text, numeric, real, text[], real[], text[]) CASCADE;
CREATE OR REPLACE FUNCTION kova_oracle.kova_column_values(fam text, rows_ numeric, null_frac real, mcv text[],
                                                          mcf real[], bounds text[], distinct_ numeric)
RETURNS TABLE (histogram text, ordinal bigint, endpoint_number numeric, endpoint_value numeric,
               endpoint_actual_value text, endpoint_repeat_count numeric, raw text)
LANGUAGE sql STABLE PARALLEL SAFE
BEGIN ATOMIC
  WITH v AS (
    SELECT m.val, m.freq::numeric AS freq, NULL::int AS bound
      FROM unnest(mcv, mcf) m(val, freq)
    UNION ALL
    SELECT b.val, NULL, b.o::int - 1 FROM unnest(bounds) WITH ORDINALITY b(val, o)
  ), typed AS (
    SELECT v.*, CASE WHEN fam = 'N' THEN v.val::numeric END AS num,
           CASE WHEN fam = 'D' THEN v.val::timestamp END AS ts,
           CASE WHEN fam = 'T' THEN v.val END AS txt
      FROM v
  ), kind AS (
    SELECT CASE WHEN coalesce(cardinality(bounds), 0) > 1 THEN 'HYBRID'
                WHEN coalesce((SELECT sum(f) FROM unnest(mcf) f), 0) >= 1 - null_frac - 0.00001 THEN 'FREQUENCY'
                ELSE 'NONE' END AS histogram,
           greatest(1 - null_frac - coalesce((SELECT sum(f) FROM unnest(mcf) f), 0), 0)::numeric AS spread,
           greatest(coalesce(cardinality(bounds), 0) - 1, 1) AS buckets
  ), shares AS (
    SELECT k.*, least(k.spread / k.buckets,
                      k.spread / greatest(coalesce(distinct_, 0) - coalesce(cardinality(mcv), 0), 1)) AS one
      FROM kind k
  ), ordered AS (
    SELECT t.*, row_number() OVER (ORDER BY t.num, t.ts, t.txt) AS ordinal FROM typed t
  ), previous AS (
    -- The bound before each value (none before the first).
    SELECT o.*, max(o.bound) OVER (ORDER BY o.ordinal) AS prev FROM ordered o
  ), placed AS (
    -- How far along the bounds a value lies: a bound at its own place, a
    -- most common value between two in proportion, -1 before the first.
    SELECT q.*,
           CASE WHEN q.bound IS NOT NULL THEN q.bound::numeric
                WHEN q.prev IS NULL THEN -1
                WHEN q.prev + 1 >= cardinality(bounds) THEN q.prev::numeric
                ELSE q.prev + coalesce(
                  CASE WHEN fam = 'N' THEN (q.num - bounds[q.prev + 1]::numeric)
                                           / nullif(bounds[q.prev + 2]::numeric - bounds[q.prev + 1]::numeric, 0)
                       WHEN fam = 'D' THEN extract(epoch FROM q.ts - bounds[q.prev + 1]::timestamp)
                                           / nullif(extract(epoch FROM bounds[q.prev + 2]::timestamp
                                                                  - bounds[q.prev + 1]::timestamp), 0) END, 0.5)
           END AS along
      FROM previous q
  )
  SELECT k.histogram, p.ordinal,
         round(rows_ * (coalesce(sum(p.freq) OVER (ORDER BY p.ordinal), 0)
                        + CASE WHEN k.histogram <> 'HYBRID' OR p.along < 0 THEN 0
                               ELSE k.one + (k.spread - k.one) * p.along / k.buckets END)),
         CASE fam WHEN 'N' THEN p.num
                  WHEN 'D' THEN (extract(epoch FROM p.ts) / 86400 + 2440588)::numeric
                  ELSE ('x' || rpad(encode(substring(convert_to(p.txt, 'UTF8') FROM 1 FOR 7), 'hex'), 14, '0'))::bit(56)::bigint::numeric END,
         CASE fam WHEN 'D' THEN to_char(p.ts, 'YYYY-MM-DD HH24:MI:SS') ELSE p.val END,
         CASE WHEN k.histogram = 'FREQUENCY' THEN 0 WHEN p.freq IS NOT NULL THEN round(rows_ * p.freq) ELSE 1 END,
         CASE fam WHEN 'N' THEN kova_oracle.ora_number_raw(p.num) WHEN 'D' THEN kova_oracle.ora_date_raw(p.ts)
                  ELSE kova_oracle.ora_text_raw(p.txt) END
    FROM placed p CROSS JOIN shares k
   ORDER BY p.ordinal;
END;

-- The analysed columns of the tables listed in USER_TABLES, with pg_stats'
-- figures and the family of their type (NULL for one without byte forms).
CREATE OR REPLACE VIEW kova_oracle.kova_column_stats AS
SELECT kova_oracle.ora_name(c.relname) AS table_name, kova_oracle.ora_name(a.attname) AS column_name,
       CASE WHEN t.data_type = 'NUMBER' THEN 'N' WHEN t.data_type = 'DATE' OR t.data_type LIKE 'TIMESTAMP%' THEN 'D'
            WHEN t.data_type IN ('CHAR', 'VARCHAR2', 'NVARCHAR2') THEN 'T' END AS fam,
       round(c.reltuples)::numeric AS num_rows, s.null_frac, s.n_distinct, s.avg_width,
       s.most_common_vals::text::text[] AS mcv, s.most_common_freqs AS mcf,
       s.histogram_bounds::text::text[] AS bounds,
       greatest(pg_stat_get_last_analyze_time(c.oid), pg_stat_get_last_autoanalyze_time(c.oid))::timestamp(0)
         AS last_analyzed,
       round(CASE WHEN s.n_distinct >= 0 THEN s.n_distinct ELSE -s.n_distinct * c.reltuples END)::numeric
         AS num_distinct,
       -- ANALYZE samples 300 rows per unit of the largest statistics target
       -- of the table's columns.
       least(round(c.reltuples),
             300 * (SELECT max(CASE WHEN x.attstattarget >= 0 THEN x.attstattarget
                                    ELSE current_setting('default_statistics_target')::int END)
                      FROM pg_attribute x
                     WHERE x.attrelid = c.oid AND x.attnum > 0 AND NOT x.attisdropped))::numeric AS sampled
  FROM kova_oracle.kova_relations c
  JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped
  JOIN pg_stats s ON s.schemaname = c.nspname AND s.tablename = c.relname AND s.attname = a.attname
                 AND s.inherited = (c.relkind = 'p')
  CROSS JOIN LATERAL kova_oracle.ora_type(a.atttypid, a.atttypmod) t
 WHERE c.relkind IN ('r', 'p') AND c.reltuples >= 0;

-- NUM_DISTINCT: n_distinct, a negative one being a share of the rows;
-- NUM_NULLS: null_frac of the rows; SAMPLE_SIZE: the non-NULL rows of
-- ANALYZE's sample, from which n_distinct was estimated (the histogram's
-- ENDPOINT_NUMBERs count all the non-NULL rows); DENSITY: 0.5 / the non-NULL
-- rows for a frequency histogram, else 1 / NUM_DISTINCT; AVG_COL_LEN: avg_width.
CREATE OR REPLACE VIEW kova_oracle.user_tab_col_statistics AS
SELECT s.table_name, s.column_name,
       round(CASE WHEN s.n_distinct >= 0 THEN s.n_distinct ELSE -s.n_distinct * s.num_rows END)::numeric AS num_distinct,
       b.low_value, b.high_value,
       CASE WHEN s.n_distinct = 0 OR s.num_rows = 0 THEN 0
            WHEN h.histogram = 'FREQUENCY' THEN 0.5 / greatest(round(s.num_rows * (1 - s.null_frac)), 1)
            ELSE 1 / round(CASE WHEN s.n_distinct >= 0 THEN s.n_distinct ELSE greatest(-s.n_distinct * s.num_rows, 1) END)
       END AS density,
       round(s.null_frac * s.num_rows)::numeric AS num_nulls,
       CASE WHEN h.histogram = 'NONE' THEN 0 ELSE coalesce(b.values_, 0) END::numeric AS num_buckets,
       s.last_analyzed, round(s.sampled * (1 - s.null_frac))::numeric AS sample_size,
       s.avg_width::numeric AS avg_col_len, h.histogram
  FROM kova_oracle.kova_column_stats s
  LEFT JOIN LATERAL (SELECT count(*) AS values_, (array_agg(x.raw ORDER BY x.ordinal))[1] AS low_value,
                            (array_agg(x.raw ORDER BY x.ordinal DESC))[1] AS high_value, min(x.histogram) AS histogram
                       FROM kova_oracle.kova_column_values(s.fam, s.num_rows, s.null_frac, s.mcv, s.mcf, s.bounds, s.num_distinct) x
                      WHERE s.fam IS NOT NULL) b ON true
  CROSS JOIN LATERAL (SELECT coalesce(b.histogram, 'NONE') AS histogram) h;

CREATE OR REPLACE VIEW kova_oracle.user_histograms AS
SELECT s.table_name, s.column_name, x.endpoint_number, x.endpoint_value, x.endpoint_actual_value,
       x.endpoint_repeat_count
  FROM kova_oracle.kova_column_stats s
  CROSS JOIN LATERAL kova_oracle.kova_column_values(s.fam, s.num_rows, s.null_frac, s.mcv, s.mcf, s.bounds, s.num_distinct) x
 WHERE s.fam IS NOT NULL AND x.histogram <> 'NONE';

-- V$SQL and V$SQLTEXT: the statements pg_stat_statements has seen in this
-- database, the user's own (all of them for members of pg_read_all_stats).
-- The ODBC driver's cursor and transaction plumbing is left out, and a
-- statement it ran through a cursor (UseDeclareFetch) is shown without the
-- DECLARE around it. HASH_VALUE is taken from the text (32 bits of its md5),
-- so that one text is one row and the number survives being read as a double.
-- PostgreSQL 15 does not record when a statement was first seen, so
-- FIRST_LOAD_TIME is NULL. ELAPSED_TIME is in microseconds.
-- Without pg_stat_statements each view holds one row that says so.
DO $do$
DECLARE
  nsp name;
BEGIN
  IF 'pg_stat_statements' = ANY (string_to_array(
        replace(current_setting('shared_preload_libraries'), ' ', ''), ',')) THEN
    CREATE EXTENSION IF NOT EXISTS pg_stat_statements WITH SCHEMA kova_oracle;
    SELECT n.nspname INTO nsp FROM pg_extension e JOIN pg_namespace n ON n.oid = e.extnamespace
     WHERE e.extname = 'pg_stat_statements';
    EXECUTE format($v$
      CREATE OR REPLACE VIEW kova_oracle.kova_sql AS
      SELECT ('x' || left(md5(q.text), 8))::bit(32)::bigint::numeric AS hash_value,
             q.text AS sql_fulltext,
             sum(q.calls)::numeric AS executions,
             sum(q.shared_blks_read + q.local_blks_read)::numeric AS disk_reads,
             sum(q.shared_blks_hit + q.shared_blks_read + q.local_blks_hit + q.local_blks_read)::numeric AS buffer_gets,
             sum(q.rows)::numeric AS rows_processed,
             round(sum(q.total_plan_time + q.total_exec_time)::numeric * 1000) AS elapsed_time
        FROM (SELECT regexp_replace(s.query, '^[[:space:]]*declare[[:space:]]+("[^"]*"|[^[:space:]"]+)[[:space:]]+'
                     '((binary|asensitive|insensitive|no|scroll)[[:space:]]+)*cursor[[:space:]]+'
                     '((with|without)[[:space:]]+hold[[:space:]]+)?for[[:space:]]+', '', 'i') AS text, s.*
                FROM %I.pg_stat_statements s
               WHERE s.dbid = (SELECT oid FROM pg_database WHERE datname = current_database())
                 AND (s.userid = (SELECT oid FROM pg_roles WHERE rolname = current_user)
                      OR pg_has_role('pg_read_all_stats', 'USAGE'))
                 AND s.query !~* '^[[:space:]]*(begin|start|commit|end|rollback|abort|savepoint|release|fetch|move|close)[[:>:]]'
             ) q
       GROUP BY q.text$v$, nsp);
    CREATE OR REPLACE VIEW kova_oracle."v$sqltext" AS
    SELECT q.hash_value, p.piece::numeric AS piece,
           substr(q.sql_fulltext, p.piece * 64 + 1, 64) AS sql_text
      FROM kova_oracle.kova_sql q
     CROSS JOIN LATERAL generate_series(0, greatest(length(q.sql_fulltext) - 1, 0) / 64) p(piece);
  ELSE
    CREATE OR REPLACE VIEW kova_oracle.kova_sql AS
    SELECT 0::numeric AS hash_value,
           'このサーバーは SQL の履歴を記録していません。履歴を見るには、'
           'postgresql.conf の shared_preload_libraries に pg_stat_statements を加えて'
           'サーバーを再起動し、postgresql-oracle.sql をもう一度実行してください。'::text AS sql_fulltext,
           NULL::numeric AS executions, NULL::numeric AS disk_reads, NULL::numeric AS buffer_gets,
           NULL::numeric AS rows_processed, NULL::numeric AS elapsed_time;
    CREATE OR REPLACE VIEW kova_oracle."v$sqltext" AS
    SELECT q.hash_value, 0::numeric AS piece, q.sql_fulltext AS sql_text
      FROM kova_oracle.kova_sql q;
  END IF;
END $do$;

CREATE OR REPLACE VIEW kova_oracle."v$sql" AS
SELECT left(q.sql_fulltext, 1000) AS sql_text, q.executions,
       NULL::text AS first_load_time,
       q.disk_reads, q.buffer_gets, q.rows_processed, q.hash_value, q.elapsed_time
  FROM kova_oracle.kova_sql q;

GRANT USAGE ON SCHEMA kova_oracle TO PUBLIC;
GRANT SELECT ON ALL TABLES IN SCHEMA kova_oracle TO PUBLIC;

DO $do$
BEGIN
  EXECUTE format('ALTER DATABASE %I SET search_path = "$user", public, kova_oracle, oracle, pg_catalog',
                 current_database());
END $do$;
