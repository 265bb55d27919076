// label: engine
// Oracle's DML, queries and functions as scripts write them, run by the
// embedded engine: aliases and owners in DML, ROWNUM, DATE arithmetic,
// TO_DATE's default models, UNISTR and NCHR, NLS arguments.
#include "support/EngineSupport.h"

#include <QDateTime>
#include <QTest>

using namespace kovatest;
using namespace Qt::StringLiterals;

namespace {

const QStringList Schema = {
    u"CREATE TABLE dept (dept_id NUMBER(4) PRIMARY KEY, name VARCHAR2(30))"_s,
    u"CREATE TABLE emp (emp_id NUMBER(6) PRIMARY KEY, dept_id NUMBER(4) REFERENCES dept, salary NUMBER(8,2),"
    " hired DATE, flag CHAR(2))"_s,
    u"INSERT INTO dept VALUES (10, 'Sales')"_s,
    u"INSERT INTO emp VALUES (1, 10, 1000, TO_DATE('2001-12-01', 'YYYY-MM-DD'), 'a')"_s,
    u"INSERT INTO emp VALUES (2, 10, 2000, TO_DATE('2001-10-01 12:00:00'), 'b')"_s,
    u"INSERT INTO emp VALUES (3, 10, 3000, TO_DATE('1999-06-30 06:00:00'), 'c')"_s,
};

}  // namespace

class tst_OracleDml : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        basKovaData::ResetForTests();
        basKovaData::SetClock([] { return QDateTime(QDate(2001, 12, 10), QTime(1, 2)); });
    }

    // An expression's value on a given day.
    void functions_data();
    void functions();
    // Statements in turn, then a query's rows.
    void statements_data();
    void statements();
    // A select list's items are named as written, rewritten or not.
    void resultNames();
};

void tst_OracleDml::functions_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("session");  // a statement run first
    auto row = [](const char* name, const char* expression, const char* expected, int year = 2001,
                  const QString& session = {}) {
        QTest::newRow(name) << year << QString::fromUtf8(expression) << QString::fromUtf8(expected) << session;
    };
    row("unistr, nchr, chr", "UNISTR('caf\\00e9 \\\\') || NCHR(233) || CHR(38)", "café \\é&");
    row("nls arguments", "TO_CHAR(TO_DATE('13-JUL-1987','DD-MON-YYYY','NLS_DATE_LANGUAGE = AMERICAN'),'YYYYMMDD',"
                         "'nls_date_language=english') || TO_NUMBER('1,234.5','9,999.9','NLS_NUMERIC_CHARACTERS=''.,''')"
                         " || TO_CHAR(TO_TIMESTAMP('2001-02-03','YYYY-MM-DD','NLS_DATE_LANGUAGE=AMERICAN'),' MMDD')",
        "198707131234.5 0203");
    row("default model DD-MON-RR", "TO_CHAR(TO_DATE('13-JUL-87'),'YYYY-MM-DD') || TO_CHAR(TO_DATE('01-jan-13'),' YYYY')"
                                   " || TO_CHAR(TO_DATE('2001-02-03 04:05:06'),' YYYYMMDDHH24MISS')",
        "1987-07-13 2013 20010203040506");
    row("session model", "TO_CHAR(TO_DATE('01-02-03'), 'YYYYMMDD') || TO_CHAR(TO_DATE('2004-05-06'), ' YYYYMMDD')",
        "20030201 20040506", 2001, u"ALTER SESSION SET NLS_DATE_FORMAT = 'DD-MM-RR'"_s);
    row("RR late in a century", "TO_CHAR(TO_DATE('13-JUL-87'),'YYYY') || TO_CHAR(TO_DATE('01-01-13','DD-MM-RR'),' YYYY')",
        "2087 2113", 2060);
    row("date minus days", "TO_CHAR(TO_DATE('13-07-87','dd-mm-rr') - 85, 'YYYY-MM-DD')", "1987-04-19");
    row("hours as fractions", "TO_CHAR(SYSDATE + 1/24, 'YYYYMMDD HH24MI') || TO_CHAR(1/24 + SYSDATE + 1, ' DD HH24MI')",
        "20011210 0202 11 0202");
    row("precedence", "TO_CHAR(SYSDATE - 30 + 1, 'YYYYMMDD') || ' ' || (2 + 3 * 4 - 1) || ' ' || (7 / 2) || ' '"
                      " || (-2 - -3) || ' ' || (10 - 2 - 3)",
        "20011111 13 3.5 1 5");
    row("date minus date", "(TO_DATE('2001-12-10') - TO_DATE('2001-12-09 18:00:00')) || ' ' || (DATE '2001-03-01'"
                           " - DATE '2001-02-01')",
        "0.25 28");
    row("round of dates", "TO_CHAR(ROUND(TO_DATE('2001-07-01 12:00:00')), 'YYYYMMDD') || TO_CHAR(ROUND(DATE '2001-07-01',"
        " 'YYYY'), ' YYYY') || TO_CHAR(ROUND(DATE '2001-06-30', 'yyyy'), ' YYYY') || TO_CHAR(ROUND(DATE '2001-02-16', 'MM'),"
        " ' MMDD') || TO_CHAR(ROUND(TO_DATE('2001-02-15 23:59:30'), 'MI'), ' DD HH24MI') || ' ' || ROUND(2.5) || ' '"
        " || ROUND(-1.25, 1)", "20010702 2002 2001 0301 16 0000 3 -1.3");
    row("date functions", "TO_CHAR(ADD_MONTHS(DATE '2001-01-31', 1), 'MMDD') || TO_CHAR(LAST_DAY(SYSDATE) + 1, ' MMDD')"
                          " || TO_CHAR(TRUNC(SYSDATE) - 1/24, ' DD HH24') || TO_CHAR(TRUNC(SYSDATE, 'MM') - 1, ' MMDD')"
                          " || ' ' || TRUNC(-7.5)",
        "0228 0101 09 23 1130 -7");
}

void tst_OracleDml::functions()
{
    QFETCH(int, year);
    QFETCH(QString, expression);
    QFETCH(QString, session);
    EngineDb db;
    if (!session.isEmpty())
        db->DbExecuteSQL(session);
    if (year != 2001)
        basKovaData::SetClock([year] { return QDateTime(QDate(year, 1, 1), QTime(0, 0)); });
    QString value;
    const QString error = ErrorOf([&] { value = db.text(u"SELECT "_s + expression + u" FROM DUAL"_s); });
    QCOMPARE(error, u"accepted"_s);
    QTEST(value, "expected");
}

void tst_OracleDml::statements_data()
{
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<qint64>("changed");  // rows the statements report
    auto row = [](const char* name, const QStringList& statements, const char* query, const char* expected,
                  qint64 changed = 0) {
        QTest::newRow(name) << statements << QString::fromUtf8(query) << QString::fromUtf8(expected) << changed;
    };
    const char* salaries = "SELECT emp_id, salary FROM emp ORDER BY emp_id";
    row("update with an alias", {u"UPDATE emp e SET e.salary = e.salary + 1, flag = 'x' WHERE e.emp_id = 1"_s}, salaries,
        "1,1001;2,2000;3,3000", 1);
    row("update columns of a subquery", {u"UPDATE emp e SET (e.salary, e.flag) = (SELECT 5, 'z' FROM dual) WHERE e.emp_id = 2"_s},
        "SELECT salary, flag FROM emp WHERE emp_id = 2", "5,z ", 1);
    row("delete with an alias", {u"DELETE FROM emp x WHERE x.emp_id = 1"_s, u"DELETE emp WHERE emp_id = 2"_s}, salaries,
        "3,3000", 2);
    row("owners", {u"INSERT INTO scott.emp (emp_id, salary) VALUES (4, 4)"_s, u"UPDATE Hr.emp SET salary = 5 WHERE emp_id = 4"_s,
                   u"DELETE FROM \"SCOTT\".emp WHERE emp_id < 3"_s},
        "SELECT e.emp_id, d.name FROM scott.emp e LEFT JOIN scott.dept d ON d.dept_id = e.dept_id, sys.dual ORDER BY 1",
        "3,Sales;4,[NULL]", 4);
    row("rownum limits a query", {}, "SELECT emp_id FROM (SELECT emp_id FROM emp ORDER BY emp_id DESC) WHERE ROWNUM <= 2",
        "3;2");
    row("rownum in the select list", {}, "SELECT ROWNUM, emp_id FROM emp WHERE emp_id > 1 AND ROWNUM < 2", "1,2");
    row("rownum = 1", {}, "SELECT emp_id FROM emp WHERE ROWNUM = 1 AND emp_id > 2", "3");
    row("rownum in a view", {u"CREATE VIEW first_two AS SELECT emp_id FROM emp WHERE ROWNUM <= 2"_s},
        "SELECT COUNT(*) FROM first_two", "2");
    row("date columns", {u"UPDATE emp SET hired = hired + 1 WHERE hired < SYSDATE - 30"_s},
        "SELECT TO_CHAR(hired, 'YYYY-MM-DD HH24') FROM emp ORDER BY emp_id", "2001-12-01 00;2001-10-02 12;1999-07-01 06", 2);
    row("days between columns", {}, "SELECT MAX(hired) - MIN(hired), COUNT(*) FROM emp WHERE hired > SYSDATE - 70",
        "60.5,2");
    row("session date format", {u"ALTER SESSION SET NLS_DATE_FORMAT = 'DD/MM/YYYY'"_s,
                                u"UPDATE emp SET hired = TO_DATE('13/07/1987') + 1 WHERE emp_id = 1"_s},
        "SELECT TO_CHAR(hired + 1/24) FROM emp WHERE emp_id = 1", "14/07/1987", 1);
    row("names SQLite keeps for itself", {u"CREATE TABLE w (\"NOTHING\" NUMBER, \"NOTNULL\" NUMBER)"_s,
                                          u"INSERT INTO w (nothing, notnull) VALUES (1, 2)"_s,
                                          u"UPDATE w x SET x.nothing = Nothing + x.notnull"_s},
        "SELECT nothing, w.NotNull FROM w", "3,2", 2);
    row("merge counts rows merged",
        {u"MERGE INTO emp e USING (SELECT 1 id, 5 sal FROM dual UNION ALL SELECT 7, 70 FROM dual) s ON (e.emp_id = s.id)"
         " WHEN MATCHED THEN UPDATE SET e.salary = s.sal + 1 WHEN NOT MATCHED THEN INSERT (emp_id, salary)"
         " VALUES (s.id, s.sal)"_s},
        "SELECT COUNT(*) FROM emp WHERE salary IN (6, 70)", "2", 2);
    row("merge deletes what it updated",
        {u"MERGE INTO emp e USING scott.dept d ON (e.dept_id = d.dept_id) WHEN MATCHED THEN UPDATE SET flag = 'm'"
         " WHERE e.salary > 1000 DELETE WHERE e.salary > 2500 WHEN NOT MATCHED THEN INSERT VALUES (d.dept_id, NULL, 1,"
         " SYSDATE, 'n')"_s},
        "SELECT emp_id, flag FROM emp ORDER BY 1", "1,a ;2,m ", 2);
    row("merge inserts only", {u"MERGE INTO dept t USING (SELECT 20 id FROM DUAL) s ON (t.dept_id = s.id)"
                               " WHEN NOT MATCHED THEN INSERT (dept_id, name) VALUES (s.id, 'New')"_s,
                               u"MERGE INTO dept t USING (SELECT 20 id FROM DUAL) s ON (t.dept_id = s.id)"
                               " WHEN NOT MATCHED THEN INSERT (dept_id, name) VALUES (s.id, 'Newer')"_s},
        "SELECT dept_id, name FROM dept ORDER BY 1", "10,Sales;20,New", 1);
}

void tst_OracleDml::statements()
{
    QFETCH(QStringList, statements);
    QFETCH(QString, query);
    EngineDb db(Schema);
    qint64 changed = 0;
    for (const QString& statement : statements) {
        QCOMPARE(ErrorOf([&] { changed += db->DbExecuteSQL(statement); }), u"accepted"_s);
    }
    QTEST(db.text(query), "expected");
    QTEST(changed, "changed");
}

void tst_OracleDml::resultNames()
{
    EngineDb db(Schema);
    const auto dynaset = db->DBCreateDynaset(u"SELECT salary / 2, hired - 1 d, salary+1 AS \"A\"\"B\", "
                                             "emp_id - 1, e.salary - -1 FROM emp e"_s);
    QStringList names;
    for (int i = 0; i < 5; ++i)
        names.append(dynaset->FieldName(i));
    QCOMPARE(names.join(u'|'), u"salary / 2|d|A\"B|emp_id - 1|e.salary - -1"_s);
}

QTEST_GUILESS_MAIN(tst_OracleDml)
#include "tst_OracleDml.moc"
