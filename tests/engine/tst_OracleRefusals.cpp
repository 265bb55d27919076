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
