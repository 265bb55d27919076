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
    // Functions and DML: operators SQLite has and Oracle lacks, DATE
    // arithmetic that has no meaning, owners, ROWNUM, function arguments.
    const auto row = [](const char* name, const char* sql, const char* line) {
        QTest::newRow(name) << QString::fromUtf8(sql) << QString::fromUtf8(line);
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
    row("date plus date", "UPDATE emp SET hired = hired + hired", dateForNumber);
    row("number minus date", "UPDATE emp SET salary = 1 - hired", dateForNumber);
    row("date divided", "UPDATE emp SET salary = hired / 2", dateForNumber);
    row("division by zero", "UPDATE emp SET salary = salary / (emp_id - 1)", "ORA-01476: divisor is equal to zero");
    row("text plus number", "UPDATE emp SET salary = 'x' + 1", "ORA-01722: invalid number");
    row("another owner", "DELETE FROM hr.emp", "ORA-00942: table or view does not exist");
    row("another owner's table in a query", "INSERT INTO emp SELECT * FROM hr.emp", "ORA-00942: table or view does not exist");
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
