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
