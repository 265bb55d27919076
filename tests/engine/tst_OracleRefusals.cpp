// label: engine
// What the embedded engine refuses of Oracle's SQL, each with the one line a
// user reads: the Oracle number Oracle gives for the case and words that name
// the construct, never a text of SQLite's. A refused statement changes
// nothing: the schema and the rows stay as they were.
#include "support/EngineSupport.h"

#include <QTest>

using namespace kovatest;
using namespace Qt::StringLiterals;

namespace {

const QStringList Schema = {
    u"CREATE TABLE dept (dept_id NUMBER(4) CONSTRAINT dept_pk PRIMARY KEY, name VARCHAR2(30) NOT NULL)"_s,
    u"CREATE TABLE emp (emp_id NUMBER(6) CONSTRAINT emp_pk PRIMARY KEY, dept_id NUMBER(4) "
    "CONSTRAINT emp_dept_fk REFERENCES dept, salary NUMBER(8,2), hired DATE, flag CHAR(2))"_s,
    u"INSERT INTO dept VALUES (10, 'Sales')"_s,
    u"INSERT INTO emp VALUES (1, 10, 1000, TO_DATE('2020-01-01', 'YYYY-MM-DD'), 'M')"_s,
    u"CREATE VIEW emp_v AS SELECT emp_id FROM emp"_s,
};

}  // namespace

class tst_OracleRefusals : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void refused_data();
    void refused();
};

void tst_OracleRefusals::refused_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("line");
    QTest::newRow("no sequence") << u"DROP SEQUENCE missing"_s << u"ORA-02289: sequence does not exist"_s;
    // Tables: declared and changed.
    QTest::newRow("ddl: parent missing") << u"CREATE TABLE x (a NUMBER REFERENCES nothing)"_s
                                         << u"ORA-00942: table or view does not exist (NOTHING)"_s;
    QTest::newRow("ddl: parent key") << u"CREATE TABLE x (a NUMBER, FOREIGN KEY (a) REFERENCES emp (salary))"_s
                                     << u"ORA-02270: no matching unique or primary key for this column-list"_s;
    QTest::newRow("ddl: object type") << u"CREATE TABLE x (a NUMBER, g MDSYS.SDO_GEOMETRY)"_s
                                      << u"ORA-00902: invalid datatype (MDSYS.SDO_GEOMETRY)"_s;
    QTest::newRow("ddl: mandatory") << u"ALTER TABLE emp ADD (bonus NUMBER NOT NULL)"_s
                                    << u"ORA-01758: table must be empty to add mandatory (NOT NULL) column"_s;
    QTest::newRow("ddl: type of values") << u"ALTER TABLE emp MODIFY (salary VARCHAR2(10))"_s
                                         << u"ORA-01439: column to be modified must be empty to change datatype"_s;
    QTest::newRow("ddl: precision") << u"ALTER TABLE emp MODIFY salary NUMBER(5,1)"_s
                                    << u"ORA-01440: column to be modified must be empty to decrease precision or scale"_s;
    QTest::newRow("ddl: length") << u"ALTER TABLE dept MODIFY (name VARCHAR2(4))"_s
                                 << u"ORA-01441: cannot decrease column length because some value is too big"_s;
    QTest::newRow("ddl: drop missing") << u"ALTER TABLE emp DROP COLUMN nothing"_s
                                       << u"ORA-00904: \"NOTHING\": invalid identifier"_s;
    QTest::newRow("ddl: parent column") << u"ALTER TABLE dept DROP COLUMN dept_id"_s
                                        << u"ORA-12992: cannot drop parent key column"_s;
    QTest::newRow("ddl: drop all") << u"ALTER TABLE emp DROP (emp_id, dept_id, salary, hired, flag)"_s
                                   << u"ORA-12983: cannot drop all columns in a table"_s;
    QTest::newRow("ddl: truncate parent") << u"TRUNCATE TABLE dept"_s
                                          << u"ORA-02266: unique/primary keys in table referenced by enabled foreign keys"_s;
    QTest::newRow("ddl: synonym name") << u"CREATE SYNONYM emp FOR dept"_s
                                       << u"ORA-00955: name is already used by an existing object"_s;
    QTest::newRow("ddl: table name") << u"CREATE TABLE hr.emp (a NUMBER)"_s
                                     << u"ORA-00955: name is already used by an existing object"_s;
    QTest::newRow("ddl: not enough") << u"INSERT INTO emp VALUES (2, 10)"_s << u"ORA-00947: not enough values"_s;
    QTest::newRow("ddl: too many") << u"INSERT INTO emp (emp_id) VALUES (2, 10)"_s << u"ORA-00913: too many values"_s;
    QTest::newRow("ddl: column") << u"SELECT missing FROM emp"_s << u"ORA-00904: \"MISSING\": invalid identifier"_s;
    QTest::newRow("ddl: qualified") << u"SELECT e.nowhere FROM emp e"_s
                                    << u"ORA-00904: \"E\".\"NOWHERE\": invalid identifier"_s;
    QTest::newRow("ddl: function") << u"SELECT nowhere(1) FROM emp"_s << u"ORA-00904: \"NOWHERE\": invalid identifier"_s;
    QTest::newRow("ddl: table") << u"DELETE FROM nowhere"_s << u"ORA-00942: table or view does not exist (NOWHERE)"_s;

    // SQLite's words for errors Oracle numbers.
    QTest::newRow("duplicate key") << u"INSERT INTO dept VALUES (10, 'Again')"_s
                                   << u"ORA-00001: unique constraint violated (dept.dept_id)"_s;
    QTest::newRow("orphan") << u"INSERT INTO emp (emp_id, dept_id) VALUES (2, 99)"_s
                            << u"ORA-02291: integrity constraint violated - parent key not found"_s;
    QTest::newRow("ambiguous") << u"SELECT name FROM dept, dept d2"_s << u"ORA-00918: column ambiguously defined"_s;
    QTest::newRow("duplicate column") << u"CREATE TABLE twice (a NUMBER, a NUMBER)"_s
                                      << u"ORA-00957: duplicate column name"_s;
    QTest::newRow("argument count") << u"SELECT SUBSTR(name) FROM dept"_s << u"ORA-00909: invalid number of arguments"_s;
    QTest::newRow("order by position") << u"SELECT name FROM dept ORDER BY 3"_s
                                       << u"ORA-01785: ORDER BY item must be the number of a SELECT-list expression"_s;
    QTest::newRow("union widths") << u"SELECT name, dept_id FROM dept UNION SELECT name FROM dept"_s
                                  << u"ORA-01789: query block has incorrect number of result columns"_s;
    QTest::newRow("no index") << u"DROP INDEX missing"_s << u"ORA-01418: specified index does not exist"_s;
    QTest::newRow("call") << u"CALL p(1)"_s
                          << u"ORA-00900: invalid SQL statement: a procedure call (CALL) - the embedded engine keeps "
                             "no PL/SQL beyond row triggers that fill columns, and no object types"_s;
    QTest::newRow("collection") << u"INSERT INTO emp (emp_id) VALUES (CAST(MULTISET(SELECT 1 FROM dual) AS t))"_s
                                << u"ORA-00900: invalid SQL statement: a collection (MULTISET) - the embedded engine "
                                   "keeps no PL/SQL beyond row triggers that fill columns, and no object types"_s;
    QTest::newRow("unread into a missing table") << u"INSERT INTO nowhere VALUES (mdsys.sdo_point(1, 2))"_s
                                                 << u"ORA-00942: table or view does not exist (NOWHERE)"_s;
    QTest::newRow("index of a view") << u"CREATE INDEX v_i ON emp_v (emp_id)"_s
                                     << u"ORA-01702: a view is not appropriate here"_s;

    // PL/SQL, object types, triggers, materialized views, dimensions
    const QString outside = u" - the embedded engine keeps no PL/SQL beyond row triggers that fill columns, "
                            "and no object types"_s;
    const auto line = [&](const QString& construct) { return u"ORA-00900: invalid SQL statement: "_s + construct + outside; };
    QTest::newRow("procedure") << u"CREATE OR REPLACE PROCEDURE p (n NUMBER) IS BEGIN NULL; END;"_s
                               << line(u"CREATE PROCEDURE"_s);
    QTest::newRow("function") << u"CREATE FUNCTION f RETURN NUMBER IS BEGIN RETURN 1; END;"_s
                              << line(u"CREATE FUNCTION"_s);
    QTest::newRow("package") << u"CREATE OR REPLACE EDITIONABLE PACKAGE k AS PROCEDURE p; END k;"_s
                             << line(u"CREATE PACKAGE"_s);
    QTest::newRow("package body") << u"CREATE PACKAGE BODY k AS PROCEDURE p IS BEGIN NULL; END; END;"_s
                                  << line(u"CREATE PACKAGE BODY"_s);
    QTest::newRow("type") << u"CREATE TYPE person_type AS OBJECT (name VARCHAR2(30))"_s << line(u"CREATE TYPE"_s);
    QTest::newRow("varray type") << u"CREATE TYPE phones AS VARRAY(5) OF VARCHAR2(25)"_s << line(u"CREATE TYPE"_s);
    QTest::newRow("type body") << u"CREATE TYPE BODY t AS MEMBER FUNCTION f RETURN NUMBER IS BEGIN RETURN 1; END; END;"_s
                               << line(u"CREATE TYPE BODY"_s);
    QTest::newRow("object table") << u"CREATE TABLE t2 OF person_type"_s
                                  << line(u"an object table (CREATE TABLE ... OF type)"_s);
    QTest::newRow("object view") << u"CREATE OR REPLACE VIEW v OF person_type WITH OBJECT IDENTIFIER (id) AS "
                                    "SELECT emp_id FROM emp"_s
                                 << line(u"an object view (CREATE VIEW ... OF type)"_s);
    QTest::newRow("XMLType column") << u"CREATE TABLE w (id NUMBER, spec SYS.XMLTYPE)"_s << line(u"an XMLType column"_s);
    QTest::newRow("nested table") << u"CREATE TABLE n (id NUMBER, p phones) NESTED TABLE p STORE AS p_tab"_s
                                  << line(u"a nested table"_s);
    QTest::newRow("AFTER trigger") << u"CREATE TRIGGER t AFTER INSERT ON emp FOR EACH ROW BEGIN NULL; END;"_s
                                   << line(u"an AFTER trigger"_s);
    QTest::newRow("statement trigger") << u"CREATE TRIGGER t BEFORE INSERT ON emp BEGIN NULL; END;"_s
                                       << line(u"a statement trigger (without FOR EACH ROW)"_s);
    QTest::newRow("INSTEAD OF trigger") << u"CREATE TRIGGER t INSTEAD OF INSERT ON v FOR EACH ROW BEGIN NULL; END;"_s
                                        << line(u"an INSTEAD OF trigger"_s);
    QTest::newRow("DELETE trigger") << u"CREATE TRIGGER t BEFORE DELETE ON emp FOR EACH ROW BEGIN NULL; END;"_s
                                    << line(u"a DELETE trigger"_s);
    QTest::newRow("compound trigger") << u"CREATE TRIGGER t FOR INSERT ON emp COMPOUND TRIGGER x NUMBER; END t;"_s
                                      << line(u"a compound trigger"_s);
    QTest::newRow("DDL trigger") << u"CREATE TRIGGER t BEFORE DROP ON SCHEMA BEGIN NULL; END;"_s
                                 << line(u"a trigger on the schema or database"_s);
    QTest::newRow("trigger body of other statements")
        << u"CREATE TRIGGER t BEFORE INSERT ON emp FOR EACH ROW BEGIN INSERT INTO dept VALUES (1, 'x'); END;"_s
        << line(u"a trigger body with the statement INSERT"_s);
    QTest::newRow("trigger body raising")
        << u"CREATE TRIGGER t BEFORE INSERT ON emp FOR EACH ROW BEGIN raise_application_error(-20001, 'no'); END;"_s
        << line(u"a trigger body with the statement RAISE_APPLICATION_ERROR"_s);
    QTest::newRow("trigger on no table") << u"CREATE TRIGGER t BEFORE INSERT ON nobody FOR EACH ROW BEGIN NULL; END;"_s
                                         << u"ORA-00942: table or view does not exist (NOBODY)"_s;
    QTest::newRow("trigger on no column")
        << u"CREATE TRIGGER t BEFORE INSERT ON emp FOR EACH ROW BEGIN :NEW.nothing := 1; END;"_s
        << u"PLS-00049: bad bind variable 'NEW.NOTHING'"_s;
    QTest::newRow("trigger that does not compile")
        << u"CREATE TRIGGER t BEFORE INSERT ON emp FOR EACH ROW BEGIN :NEW.flag := no_such_fn(1); END;"_s
        << u"ORA-04098: trigger 'T' is invalid and failed re-validation"_s;
    QTest::newRow("trigger body growing without bound")
        << u"CREATE TRIGGER t BEFORE INSERT ON emp FOR EACH ROW BEGIN "_s
               + u"IF :NEW.flag > 'a' THEN :NEW.flag := :NEW.flag || 'x'; END IF; "_s.repeated(30) + u"END;"_s
        << line(u"a trigger body with IF statements whose expressions grow past 1 MB"_s);
    QTest::newRow("trigger reading NEXTVAL back")
        << u"CREATE TRIGGER t BEFORE INSERT ON emp FOR EACH ROW BEGIN :NEW.emp_id := s.NEXTVAL; "
           ":NEW.dept_id := :NEW.emp_id; END;"_s
        << line(u"a trigger body with a sequence's NEXTVAL read back more than once"_s);
    QTest::newRow("drop no trigger") << u"DROP TRIGGER missing"_s << u"ORA-04080: trigger 'MISSING' does not exist"_s;
    QTest::newRow("alter no trigger") << u"ALTER TRIGGER missing DISABLE"_s
                                      << u"ORA-04080: trigger 'MISSING' does not exist"_s;
    QTest::newRow("drop no procedure") << u"DROP PROCEDURE p"_s << u"ORA-04043: object P does not exist"_s;
    QTest::newRow("drop no type") << u"DROP TYPE BODY person_type"_s << u"ORA-04043: object PERSON_TYPE does not exist"_s;
    QTest::newRow("drop no dimension") << u"DROP DIMENSION d"_s << u"ORA-30333: dimension does not exist"_s;
    QTest::newRow("materialized view the engine cannot run")
        << u"CREATE MATERIALIZED VIEW m REFRESH FAST AS SELECT emp_id FROM emp MODEL DIMENSION BY (emp_id) "
           "MEASURES (salary) RULES ()"_s
        << line(u"a materialized view whose query the engine cannot run"_s);

    // Functions and DML: operators SQLite has and Oracle lacks, DATE
    // arithmetic that has no meaning, owners, ROWNUM, function arguments.
    const auto row = [](const char* name, const char* sql, const char* expected) {
        QTest::newRow(name) << QString::fromUtf8(sql) << QString::fromUtf8(expected);
    };
    const char* missingExpression = "ORA-00936: missing expression";
    const char* invalidCharacter = "ORA-00911: invalid character";
    const char* dateForNumber = "ORA-00932: inconsistent datatypes: expected NUMBER got DATE";
    const char* rownum = "ORA-03001: unimplemented feature (ROWNUM other than \"ROWNUM <= n\" of a plain query)";
    row("shift right", "UPDATE emp SET salary = 1 WHERE salary >> 5 > 0", missingExpression);
    row("shift left", "DELETE FROM emp WHERE salary << 1 = 2000", missingExpression);
    row("double equals", "DELETE FROM emp WHERE emp_id == 1", missingExpression);
    row("bitwise or", "UPDATE emp SET salary = salary | 1", invalidCharacter);
    row("bitwise and", "DELETE FROM emp WHERE emp_id & 1 = 1", invalidCharacter);
    row("bitwise not", "UPDATE emp SET salary = ~salary", invalidCharacter);
    row("modulo", "UPDATE emp SET salary = salary % 7", invalidCharacter);
    row("not alone", "DELETE FROM emp WHERE !(emp_id = 1)", invalidCharacter);
    row("concatenation before minus", "UPDATE emp SET flag = 'x' || hired - 1", "ORA-01722: invalid number");
    row("date plus date", "UPDATE emp SET hired = hired + hired", "ORA-00975: date + date not allowed");
    row("number minus date", "UPDATE emp SET salary = 1 - hired", dateForNumber);
    row("date divided", "UPDATE emp SET salary = hired / 2", dateForNumber);
    row("division by zero", "UPDATE emp SET salary = salary / (emp_id - 1)", "ORA-01476: divisor is equal to zero");
    row("text plus number", "UPDATE emp SET salary = 'x' + 1", "ORA-01722: invalid number");
    row("owner's missing table", "DELETE FROM hr.nowhere", "ORA-00942: table or view does not exist (NOWHERE)");
    row("rownum in delete", "DELETE FROM emp WHERE ROWNUM <= 1", rownum);
    row("rownum with an aggregate", "INSERT INTO dept SELECT COUNT(*), 'x' FROM emp WHERE ROWNUM <= 1", rownum);
    row("rownum above", "INSERT INTO dept SELECT 20, 'x' FROM emp WHERE ROWNUM > 1", rownum);
    row("nls language", "UPDATE emp SET hired = TO_DATE('1-JAN-01', 'DD-MON-RR', 'NLS_DATE_LANGUAGE = FRENCH')",
        "ORA-12702: invalid NLS parameter string used in SQL function");
    row("to_number of letters", "UPDATE emp SET salary = TO_NUMBER('12x')", "ORA-01722: invalid number");
    row("unistr escape", "UPDATE emp SET flag = UNISTR('\\00g1')",
        "ORA-30186: '\\' must be followed by four hexadecimal characters or another '\\'");
    row("merge is one statement", "MERGE INTO emp e USING (SELECT 10 d FROM dual UNION SELECT 99 FROM dual) s"
        " ON (e.dept_id = s.d) WHEN MATCHED THEN UPDATE"
        " SET e.emp_id = 9 WHEN NOT MATCHED THEN INSERT (emp_id) VALUES (NULL)", "ORA-01400: cannot insert NULL into (\"SCOTT\".\"emp\".\"emp_id\")");
    row("merge from an unstable source", "MERGE INTO emp e USING (SELECT 1 id FROM dual UNION ALL SELECT 1 FROM dual) s"
        " ON (e.emp_id = s.id) WHEN MATCHED THEN UPDATE SET salary = 5", "ORA-30926: unable to get a stable set of rows in the source tables");
    row("merge not plain", "MERGE INTO emp e USING dept d ON (e.dept_id = d.dept_id) WHEN MATCHED THEN DELETE",
        "ORA-03001: unimplemented feature (MERGE other than INTO table USING table, view or subquery ON (condition)"
        " WHEN MATCHED THEN UPDATE SET ... WHEN NOT MATCHED THEN INSERT ... VALUES (...))");
    row("default date model", "UPDATE emp SET hired = TO_DATE('13-JUX-87')", "ORA-01843: not a valid month");

    // Alternative quotes (console and lexer)
    row("alternative quote unclosed", "UPDATE emp SET flag = q'[x'", "ORA-01756: quoted string not properly terminated");
    row("alternative quote unclosed in a query", "SELECT q'{x}' FROM dual WHERE 1 = q'!y", "ORA-01756: quoted string not properly terminated");

    // Engine mends: what takes numbers only refuses a DATE.
    row("date times number", "UPDATE emp SET salary = hired * 2", dateForNumber);
    row("date negated", "UPDATE emp SET salary = -hired", dateForNumber);
    row("sum of dates", "UPDATE emp SET salary = (SELECT SUM(hired) FROM emp)", dateForNumber);
    row("average of dates", "INSERT INTO dept SELECT AVG(DISTINCT hired), 'x' FROM emp", dateForNumber);
}

void tst_OracleRefusals::refused()
{
    QFETCH(QString, sql);
    QFETCH(QString, line);
    EngineDb db(Schema);
    const QString before = db.text(u"SELECT type, name, sql FROM sqlite_master ORDER BY name"_s);
    QCOMPARE(ErrorOf([&] { db->DbExecuteSQL(sql); }), line);
    QCOMPARE(db.text(u"SELECT type, name, sql FROM sqlite_master ORDER BY name"_s), before);
    QCOMPARE(db.text(u"SELECT emp_id, dept_id FROM emp"_s), u"1,10"_s);
}

QTEST_GUILESS_MAIN(tst_OracleRefusals)
#include "tst_OracleRefusals.moc"
