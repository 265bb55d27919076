// label: engine
// Oracle DDL as Oracle's tools write it, on the embedded engine: types and
// what the dictionary reports of them, constraints declared in every place
// and changed later (the table is rebuilt with its rows), sequences, identity
// columns, views SQLite cannot run, comments and the session's date format.
#include "support/EngineSupport.h"

#include <QTest>

using namespace kovatest;
using namespace Qt::StringLiterals;

namespace {

const QStringList Parents = {
    u"CREATE TABLE \"HR\".\"DEPT\" (\"DEPT_ID\" NUMBER(4,0), \"NAME\" VARCHAR2(30 BYTE) CONSTRAINT \"DEPT_NAME_NN\" "
    "NOT NULL ENABLE) SEGMENT CREATION IMMEDIATE PCTFREE 10 PCTUSED 40 INITRANS 1 MAXTRANS 255 NOCOMPRESS LOGGING "
    "STORAGE(INITIAL 65536 NEXT 1048576 MINEXTENTS 1 BUFFER_POOL DEFAULT) TABLESPACE \"USERS\""_s,
    u"CREATE UNIQUE INDEX \"HR\".\"DEPT_PK\" ON \"HR\".\"DEPT\" (\"DEPT_ID\") PCTFREE 10 COMPUTE STATISTICS "
    "TABLESPACE \"USERS\""_s,
    u"ALTER TABLE \"HR\".\"DEPT\" ADD CONSTRAINT \"DEPT_PK\" PRIMARY KEY (\"DEPT_ID\") USING INDEX PCTFREE 10 "
    "INITRANS 2 STORAGE(INITIAL 65536) TABLESPACE \"USERS\" ENABLE"_s,
    u"INSERT INTO DEPT VALUES (10, 'Sales')"_s,
    u"CREATE TABLE emp (emp_id INTEGER CONSTRAINT emp_pk PRIMARY KEY, dept_id NUMBER(4), boss NUMBER(6), "
    "mail VARCHAR2(40 CHAR), CONSTRAINT emp_mail_uk UNIQUE (mail), CONSTRAINT emp_boss_ck CHECK (boss <> emp_id)) "
    "ORGANIZATION INDEX"_s,
};

}  // namespace

class tst_OracleDdl : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void typesAsTheDictionaryReportsThem_data();
    void typesAsTheDictionaryReportsThem();
    void lengthsCountTheirUnit();
    void intervals_data();
    void intervals();
    void constraintsKeepTheirNames();
    void addingAConstraintKeepsRowsAndIndexes();
    void foreignKeysDisabledAndEnabled();
    void refusals_data();
    void refusals();
    void sequences();
    void identityColumns();
    void views();
    void comments();
    void sessionDateFormat();
};

void tst_OracleDdl::typesAsTheDictionaryReportsThem_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("reported");  // type, length, precision, scale, char length, unit
    QTest::newRow("byte") << u"VARCHAR2(20 BYTE)"_s << u"VARCHAR2,20,[NULL],[NULL],20,B"_s;
    QTest::newRow("char") << u"VARCHAR2(255 CHAR)"_s << u"VARCHAR2,510,[NULL],[NULL],255,C"_s;
    QTest::newRow("nvarchar2") << u"NVARCHAR2(10)"_s << u"NVARCHAR2,20,[NULL],[NULL],10,C"_s;
    QTest::newRow("nchar") << u"NCHAR(3)"_s << u"NCHAR,6,[NULL],[NULL],3,C"_s;
    QTest::newRow("char unit") << u"CHAR(2 CHAR)"_s << u"CHAR,4,[NULL],[NULL],2,C"_s;
    QTest::newRow("number star") << u"NUMBER(*,2)"_s << u"NUMBER,22,[NULL],2,0,[NULL]"_s;
    QTest::newRow("integer") << u"INTEGER"_s << u"NUMBER,22,[NULL],0,0,[NULL]"_s;
    QTest::newRow("smallint") << u"SMALLINT"_s << u"NUMBER,22,[NULL],0,0,[NULL]"_s;
    QTest::newRow("float") << u"FLOAT(10)"_s << u"FLOAT,22,10,[NULL],0,[NULL]"_s;
    QTest::newRow("binary double") << u"BINARY_DOUBLE"_s << u"BINARY_DOUBLE,8,[NULL],[NULL],0,[NULL]"_s;
    QTest::newRow("timestamp") << u"TIMESTAMP"_s << u"TIMESTAMP(6),11,[NULL],6,0,[NULL]"_s;
    QTest::newRow("timestamp tz") << u"TIMESTAMP(3) WITH TIME ZONE"_s << u"TIMESTAMP(3) WITH TIME ZONE,13,[NULL],3,0,[NULL]"_s;
    QTest::newRow("local tz") << u"TIMESTAMP WITH LOCAL TIME ZONE"_s << u"TIMESTAMP(6) WITH LOCAL TIME ZONE,11,[NULL],6,0,[NULL]"_s;
    QTest::newRow("raw") << u"RAW(16)"_s << u"RAW,16,[NULL],[NULL],0,[NULL]"_s;
    QTest::newRow("clob") << u"CLOB"_s << u"CLOB,4000,[NULL],[NULL],0,[NULL]"_s;
    QTest::newRow("interval ym") << u"INTERVAL YEAR(3) TO MONTH"_s << u"INTERVAL YEAR(3) TO MONTH,5,3,0,0,[NULL]"_s;
    QTest::newRow("interval ds") << u"INTERVAL DAY TO SECOND"_s << u"INTERVAL DAY(2) TO SECOND(6),11,2,6,0,[NULL]"_s;
}

void tst_OracleDdl::typesAsTheDictionaryReportsThem()
{
    QFETCH(QString, type);
    QFETCH(QString, reported);
    EngineDb db({u"CREATE TABLE T (C %1 DEFAULT NULL CONSTRAINT C_NN NOT NULL)"_s.arg(type)});
    QCOMPARE(db.text(u"SELECT DATA_TYPE, DATA_LENGTH, DATA_PRECISION, DATA_SCALE, CHAR_LENGTH, CHAR_USED "
                     "FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'T'"_s),
             reported);
}

void tst_OracleDdl::lengthsCountTheirUnit()
{
    EngineDb db({u"CREATE TABLE T (B VARCHAR2(4 BYTE), C VARCHAR2(4 CHAR))"_s});
    QCOMPARE(ErrorOf([&] { db->DbExecuteSQL(u"INSERT INTO T (C) VALUES ('日本語です')"_s); }).left(9), u"ORA-12899"_s);
    QCOMPARE(ErrorOf([&] { db->DbExecuteSQL(u"INSERT INTO T (B) VALUES ('日本語')"_s); }).left(9), u"ORA-12899"_s);
    db->DbExecuteSQL(u"INSERT INTO T VALUES ('日本', '日本語で')"_s);
    QCOMPARE(db.text(u"SELECT B, C FROM T"_s), u"日本,日本語で"_s);
}

void tst_OracleDdl::intervals_data()
{
    QTest::addColumn<QString>("values");
    QTest::addColumn<QString>("shown");
    QTest::newRow("both") << u"TO_YMINTERVAL('2-3'), TO_DSINTERVAL('1 2:3:4')"_s << u"+02-03,+01 02:03:04.000000"_s;
    QTest::newRow("signs") << u"TO_YMINTERVAL(' -1-11'), TO_DSINTERVAL('+10 23:59:59.5')"_s
                           << u"-01-11,+10 23:59:59.500000"_s;
    QTest::newRow("nulls") << u"TO_YMINTERVAL(''), NULL"_s << u"[NULL],[NULL]"_s;
    QTest::newRow("months") << u"TO_YMINTERVAL('1-12'), NULL"_s << u"ORA-01867: the interval is invalid"_s;
    QTest::newRow("hours") << u"NULL, TO_DSINTERVAL('1 24:00:00')"_s << u"ORA-01867: the interval is invalid"_s;
}

void tst_OracleDdl::intervals()
{
    QFETCH(QString, values);
    QFETCH(QString, shown);
    EngineDb db({u"CREATE TABLE T (YM INTERVAL YEAR(2) TO MONTH, DS INTERVAL DAY(2) TO SECOND(6))"_s});
    const QString error = ErrorOf([&] { db->DbExecuteSQL(u"INSERT INTO T VALUES (%1)"_s.arg(values)); });
    QCOMPARE(error == u"accepted"_s ? db.text(u"SELECT YM, DS FROM T"_s) : error, shown);
}

void tst_OracleDdl::constraintsKeepTheirNames()
{
    EngineDb db(Parents + QStringList{
        u"ALTER TABLE emp ADD (CONSTRAINT emp_dept_fk FOREIGN KEY (dept_id) REFERENCES dept, "
        "CONSTRAINT emp_boss_fk FOREIGN KEY (boss) REFERENCES emp (emp_id) ON DELETE SET NULL)"_s});
    QCOMPARE(db.text(u"SELECT CONSTRAINT_NAME, CONSTRAINT_TYPE, TABLE_NAME, SEARCH_CONDITION, R_CONSTRAINT_NAME, "
                     "DELETE_RULE, STATUS FROM USER_CONSTRAINTS ORDER BY 1"_s),
             u"DEPT_NAME_NN,C,DEPT,\"NAME\" IS NOT NULL,[NULL],[NULL],ENABLED;DEPT_PK,P,DEPT,[NULL],[NULL],[NULL],ENABLED;"
             "EMP_BOSS_CK,C,EMP,boss <> emp_id,[NULL],[NULL],ENABLED;EMP_BOSS_FK,R,EMP,[NULL],EMP_PK,SET NULL,ENABLED;"
             "EMP_DEPT_FK,R,EMP,[NULL],DEPT_PK,NO ACTION,ENABLED;EMP_MAIL_UK,U,EMP,[NULL],[NULL],[NULL],ENABLED;"
             "EMP_PK,P,EMP,[NULL],[NULL],[NULL],ENABLED"_s);
    QCOMPARE(db.text(u"SELECT CONSTRAINT_NAME, COLUMN_NAME, POSITION FROM USER_CONS_COLUMNS "
                     "WHERE TABLE_NAME = 'EMP' ORDER BY 1"_s),
             u"EMP_BOSS_FK,BOSS,1;EMP_DEPT_FK,DEPT_ID,1;EMP_MAIL_UK,MAIL,1;EMP_PK,EMP_ID,1"_s);
    // What the constraints say is enforced.
    QCOMPARE(ErrorOf([&] { db->DbExecuteSQL(u"INSERT INTO EMP VALUES (1, 99, NULL, NULL)"_s); }).left(9), u"ORA-02291"_s);
    QCOMPARE(ErrorOf([&] { db->DbExecuteSQL(u"INSERT INTO EMP VALUES (1, 10, 1, NULL)"_s); }).left(9), u"ORA-02290"_s);
}

void tst_OracleDdl::addingAConstraintKeepsRowsAndIndexes()
{
    EngineDb db(Parents + QStringList{u"CREATE INDEX emp_dept_ix ON emp (dept_id) NOLOGGING"_s,
                                      u"INSERT INTO EMP VALUES (1, 10, NULL, 'a')"_s,
                                      u"INSERT INTO EMP VALUES (2, 10, 1, 'b')"_s,
                                      u"ALTER TABLE emp ADD CONSTRAINT emp_dept_fk FOREIGN KEY (dept_id) "
                                      "REFERENCES dept (dept_id)"_s});
    QCOMPARE(db.text(u"SELECT EMP_ID, DEPT_ID, BOSS, MAIL FROM EMP ORDER BY 1"_s), u"1,10,[NULL],a;2,10,1,b"_s);
    QCOMPARE(db.text(u"SELECT name FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL AND tbl_name = 'emp'"_s),
             u"emp_dept_ix"_s);
    // A child row of DEPT keeps DEPT's rebuild from losing or breaking anything.
    db->DbExecuteSQL(u"ALTER TABLE dept ADD CONSTRAINT dept_name_uk UNIQUE (name)"_s);
    QCOMPARE(db.text(u"SELECT count(*) FROM DEPT"_s), u"1"_s);
    QCOMPARE(ErrorOf([&] { db->DbExecuteSQL(u"DELETE FROM DEPT"_s); }).left(9), u"ORA-02291"_s);
}

void tst_OracleDdl::foreignKeysDisabledAndEnabled()
{
    EngineDb db(Parents + QStringList{u"ALTER TABLE emp ADD CONSTRAINT emp_dept_fk FOREIGN KEY (dept_id) "
                                      "REFERENCES dept"_s,
                                      u"ALTER TABLE emp DISABLE CONSTRAINT emp_dept_fk"_s,
                                      u"INSERT INTO EMP VALUES (1, 20, NULL, NULL)"_s});
    const QString status = u"SELECT STATUS || ':' || R_CONSTRAINT_NAME FROM USER_CONSTRAINTS "
                           "WHERE CONSTRAINT_NAME = 'EMP_DEPT_FK'"_s;
    QCOMPARE(db.text(status), u"DISABLED:DEPT_PK"_s);
    QCOMPARE(db.text(u"SELECT COLUMN_NAME FROM USER_CONS_COLUMNS WHERE CONSTRAINT_NAME = 'EMP_DEPT_FK'"_s),
             u"DEPT_ID"_s);
    // The orphan keeps it disabled, with Oracle's error; nothing is lost.
    QCOMPARE(ErrorOf([&] { db->DbExecuteSQL(u"ALTER TABLE emp ENABLE CONSTRAINT emp_dept_fk"_s); }).left(9),
             u"ORA-02298"_s);
    QCOMPARE(db.text(status), u"DISABLED:DEPT_PK"_s);
    QCOMPARE(db.text(u"SELECT count(*) FROM EMP"_s), u"1"_s);
    db->DbExecuteSQL(u"INSERT INTO DEPT VALUES (20, 'IT')"_s);
    db->DbExecuteSQL(u"ALTER TABLE emp ENABLE VALIDATE CONSTRAINT emp_dept_fk"_s);
    QCOMPARE(db.text(status), u"ENABLED:DEPT_PK"_s);
    QCOMPARE(ErrorOf([&] { db->DbExecuteSQL(u"INSERT INTO EMP VALUES (2, 30, NULL, NULL)"_s); }).left(9),
             u"ORA-02291"_s);
    db->DbExecuteSQL(u"ALTER TABLE emp DROP CONSTRAINT emp_dept_fk"_s);
    db->DbExecuteSQL(u"INSERT INTO EMP VALUES (2, 30, NULL, NULL)"_s);
    QCOMPARE(db.text(u"SELECT count(*) FROM USER_CONSTRAINTS WHERE CONSTRAINT_TYPE = 'R'"_s), u"0"_s);
}

void tst_OracleDdl::refusals_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("error");
    QTest::newRow("orphans") << u"ALTER TABLE emp ADD CONSTRAINT emp_x_fk FOREIGN KEY (dept_id) REFERENCES dept"_s
                             << u"ORA-02298"_s;
    QTest::newRow("name in use") << u"ALTER TABLE emp ADD CONSTRAINT dept_pk UNIQUE (boss)"_s << u"ORA-02264"_s;
    QTest::newRow("rows break check") << u"ALTER TABLE emp ADD CONSTRAINT emp_c CHECK (boss > 5)"_s << u"ORA-02293"_s;
    QTest::newRow("no such constraint") << u"ALTER TABLE emp DISABLE CONSTRAINT nothing"_s << u"ORA-02431"_s;
    QTest::newRow("no such table") << u"ALTER TABLE nothing ADD CONSTRAINT x UNIQUE (a)"_s << u"ORA-00942"_s;
    QTest::newRow("comment column") << u"COMMENT ON COLUMN emp.nothing IS 'x'"_s << u"ORA-00904"_s;
    QTest::newRow("sequence option") << u"CREATE SEQUENCE s STEP 2"_s << u"ORA-00933"_s;
    QTest::newRow("sequence name") << u"CREATE SEQUENCE emp"_s << u"ORA-00955"_s;
    QTest::newRow("no sequence") << u"DROP SEQUENCE nothing"_s << u"ORA-02289"_s;
    QTest::newRow("not understood") << u"CREATE TABLE t2 OF person_type"_s << u"ORA-00900"_s;
    QTest::newRow("alter session") << u"ALTER SESSION SET NLS_DATE_FORMAT"_s << u"ORA-00922"_s;
}

void tst_OracleDdl::refusals()
{
    QFETCH(QString, sql);
    QFETCH(QString, error);
    EngineDb db(Parents + QStringList{u"INSERT INTO EMP VALUES (1, 20, 3, NULL)"_s});
    const QString schema = db.text(u"SELECT sql FROM sqlite_master ORDER BY name"_s);
    QCOMPARE(ErrorOf([&] { db->DbExecuteSQL(sql); }).left(9), error);
    QCOMPARE(db.text(u"SELECT sql FROM sqlite_master ORDER BY name"_s), schema);
    QCOMPARE(db.text(u"SELECT EMP_ID FROM EMP"_s), u"1"_s);
}

void tst_OracleDdl::sequences()
{
    EngineDb db({u"CREATE SEQUENCE hr.s START WITH 8 INCREMENT BY 2 MAXVALUE 10 NOCACHE NOCYCLE"_s,
                 u"CREATE SEQUENCE c MINVALUE 1 MAXVALUE 2 CYCLE CACHE 5"_s, u"CREATE TABLE T (N NUMBER)"_s});
    QCOMPARE(ErrorOf([&] { db.text(u"SELECT s.CURRVAL FROM DUAL"_s); }).left(9), u"ORA-08002"_s);
    db->DbExecuteSQL(u"INSERT INTO T VALUES (hr.s.NEXTVAL)"_s);
    QCOMPARE(db.text(u"SELECT s.NEXTVAL, s.CURRVAL FROM DUAL"_s), u"10,10"_s);
    QCOMPARE(ErrorOf([&] { db.text(u"SELECT s.NEXTVAL FROM DUAL"_s); }).left(9), u"ORA-08004"_s);
    QCOMPARE(db.text(u"SELECT c.NEXTVAL FROM DUAL UNION ALL SELECT c.NEXTVAL FROM DUAL UNION ALL "
                     "SELECT c.NEXTVAL FROM DUAL"_s),
             u"1;2;1"_s);
    QCOMPARE(db.text(u"SELECT SEQUENCE_NAME, MIN_VALUE, MAX_VALUE, INCREMENT_BY, CYCLE_FLAG, CACHE_SIZE, LAST_NUMBER "
                     "FROM USER_SEQUENCES ORDER BY 1"_s),
             u"C,1,2,1,Y,5,2;S,1,10,2,N,0,12"_s);
    QCOMPARE(db.text(u"SELECT N FROM T"_s), u"8"_s);
    db->DbExecuteSQL(u"DROP SEQUENCE c"_s);
    QCOMPARE(ErrorOf([&] { db.text(u"SELECT c.NEXTVAL FROM DUAL"_s); }).left(9), u"ORA-02289"_s);
}

void tst_OracleDdl::identityColumns()
{
    EngineDb db({u"CREATE TABLE A (ID NUMBER GENERATED BY DEFAULT ON NULL AS IDENTITY (START WITH 5 INCREMENT BY 5)"
                 " PRIMARY KEY, V VARCHAR2(5))"_s,
                 u"CREATE TABLE B (ID NUMBER GENERATED AS IDENTITY NOT NULL, V VARCHAR2(5))"_s,
                 u"INSERT INTO A (V) VALUES ('x')"_s, u"INSERT INTO A VALUES (NULL, 'y')"_s,
                 u"INSERT INTO A VALUES (7, 'z')"_s, u"INSERT INTO B (V) VALUES ('x')"_s});
    QCOMPARE(db.text(u"SELECT ID, V FROM A ORDER BY V"_s), u"5,x;10,y;7,z"_s);
    QCOMPARE(db.text(u"SELECT ID FROM B"_s), u"1"_s);
    for (const QString& given : {u"INSERT INTO B VALUES (9, 'y')"_s, u"INSERT INTO B (V, \"ID\") VALUES ('y', NULL)"_s,
                                 u"INSERT INTO B SELECT NULL, 'y' FROM DUAL"_s})
        QCOMPARE(ErrorOf([&] { db->DbExecuteSQL(given); }), u"ORA-32795: cannot insert into a generated always identity column"_s);
    QCOMPARE(ErrorOf([&] { db->DbExecuteSQL(u"UPDATE B SET ID = 99"_s); }),
             u"ORA-32796: cannot update a generated always identity column"_s);
    db->DbExecuteSQL(u"UPDATE B SET V = 'w'"_s);
    QCOMPARE(db.text(u"SELECT TABLE_NAME, COLUMN_NAME, NULLABLE, IDENTITY_COLUMN FROM USER_TAB_COLUMNS "
                     "WHERE COLUMN_NAME = 'ID' ORDER BY 1"_s),
             u"A,ID,N,YES;B,ID,N,YES"_s);
    QCOMPARE(db.text(u"SELECT TABLE_NAME, GENERATION_TYPE FROM USER_TAB_IDENTITY_COLS ORDER BY 1"_s),
             u"A,BY DEFAULT;B,ALWAYS"_s);
    db->DbExecuteSQL(u"DROP TABLE B PURGE"_s);
    QCOMPARE(db.text(u"SELECT count(*) FROM USER_SEQUENCES"_s), u"1"_s);
    // An INTEGER key is numbered by the identity too, in line or out of line.
    db->DbExecuteSQL(u"CREATE TABLE C (ID INTEGER GENERATED ALWAYS AS IDENTITY PRIMARY KEY, V VARCHAR2(5))"_s);
    db->DbExecuteSQL(u"CREATE TABLE D (ID INTEGER GENERATED ALWAYS AS IDENTITY, V VARCHAR2(5), PRIMARY KEY (ID))"_s);
    for (const QString& table : {u"C"_s, u"D"_s, u"C"_s})
        db->DbExecuteSQL(u"INSERT INTO %1 (V) VALUES ('p')"_s.arg(table));
    QCOMPARE(db.text(u"SELECT ID FROM C UNION ALL SELECT ID FROM D"_s), u"1;2;1"_s);
    QCOMPARE(db.text(u"SELECT DATA_TYPE, DATA_SCALE FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'C' AND COLUMN_NAME = 'ID'"_s),
             u"NUMBER,0"_s);
    // Added to a table with rows, the identity numbers them.
    db->DbExecuteSQL(u"ALTER TABLE A ADD (N NUMBER GENERATED ALWAYS AS IDENTITY (START WITH 10 INCREMENT BY 5))"_s);
    QCOMPARE(db.text(u"SELECT N FROM A ORDER BY N"_s), u"10;15;20"_s);
}

void tst_OracleDdl::views()
{
    EngineDb db(Parents + QStringList{
        u"CREATE OR REPLACE VIEW dept_v (id, name) AS SELECT dept_id, name FROM dept WITH READ ONLY"_s,
        u"CREATE OR REPLACE FORCE EDITIONABLE VIEW dept_v (id, label) AS SELECT dept_id, name FROM dept "
        "WITH CHECK OPTION CONSTRAINT dept_v_ck"_s,
        u"CREATE VIEW names AS SELECT LISTAGG(name, ', ') WITHIN GROUP (ORDER BY name) all_names, "
        "count(*) n FROM dept"_s});
    QCOMPARE(db.text(u"SELECT ID, LABEL FROM DEPT_V"_s), u"10,Sales"_s);
    QCOMPARE(db.text(u"SELECT VIEW_NAME, TEXT FROM USER_VIEWS ORDER BY 1"_s),
             u"DEPT_V,SELECT dept_id, name FROM dept;"
             "NAMES,SELECT LISTAGG(name, ', ') WITHIN GROUP (ORDER BY name) all_names, count(*) n FROM dept"_s);
    // The view Oracle would run is kept with its columns; a query says why it gives nothing.
    QCOMPARE(db.text(u"SELECT COLUMN_NAME FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'NAMES' ORDER BY COLUMN_ID"_s),
             u"ALL_NAMES;N"_s);
    QVERIFY(ErrorOf([&] { db.text(u"SELECT count(*) FROM NAMES"_s); }).contains(u"cannot run"_s));
    QCOMPARE(ErrorOf([&] { db->DbExecuteSQL(u"CREATE OR REPLACE VIEW dept AS SELECT 1 x FROM dual"_s); }).left(9),
             u"ORA-00955"_s);
    db->DbExecuteSQL(u"CREATE OR REPLACE VIEW names AS SELECT name FROM dept"_s);
    QCOMPARE(db.text(u"SELECT TEXT FROM USER_VIEWS WHERE VIEW_NAME = 'NAMES'"_s), u"SELECT name FROM dept"_s);
}

void tst_OracleDdl::comments()
{
    EngineDb db(Parents + QStringList{u"COMMENT ON TABLE hr.dept IS 'Departments'"_s,
                                      u"COMMENT ON COLUMN \"HR\".\"DEPT\".\"NAME\" IS 'It''s the name'"_s,
                                      u"COMMENT ON COLUMN emp.mail IS 'Mail'"_s,
                                      u"COMMENT ON COLUMN emp.mail IS ''"_s});
    QCOMPARE(db.text(u"SELECT TABLE_NAME, TABLE_TYPE, COMMENTS FROM USER_TAB_COMMENTS ORDER BY 1"_s),
             u"DEPT,TABLE,Departments;EMP,TABLE,[NULL]"_s);
    QCOMPARE(db.text(u"SELECT COLUMN_NAME, COMMENTS FROM USER_COL_COMMENTS WHERE COMMENTS IS NOT NULL"_s),
             u"NAME,It's the name"_s);
    // Comments go with their table, and do not come back with a new one.
    db->DbExecuteSQL(u"DROP TABLE emp CASCADE CONSTRAINTS"_s);
    db->DbExecuteSQL(u"DROP TABLE IF EXISTS dept"_s);
    db->DbExecuteSQL(u"CREATE TABLE dept (name VARCHAR2(5))"_s);
    QCOMPARE(db.text(u"SELECT count(COMMENTS) FROM USER_COL_COMMENTS"_s), u"0"_s);
}

void tst_OracleDdl::sessionDateFormat()
{
    EngineDb db({u"CREATE TABLE T (D DATE)"_s, u"INSERT INTO T VALUES (TO_DATE('2024-03-05', 'YYYY-MM-DD'))"_s});
    QCOMPARE(db.text(u"SELECT TO_CHAR(D) FROM T"_s), u"05-MAR-24"_s);
    db->DbExecuteSQL(u"ALTER SESSION SET NLS_DATE_FORMAT = 'DD.MM.YYYY' NLS_LANGUAGE = American"_s);
    QCOMPARE(db.text(u"SELECT TO_CHAR(D), TO_CHAR(TO_DATE('06.04.2025')) FROM T"_s), u"05.03.2024,06.04.2025"_s);
    QCOMPARE(db.text(u"SELECT TO_CHAR(TO_TIMESTAMP('2024-01-02 03:04:05.123456'), 'HH24:MI:SS') FROM DUAL"_s),
             u"03:04:05"_s);
}

QTEST_GUILESS_MAIN(tst_OracleDdl)
#include "tst_OracleDdl.moc"
