// label: engine
// Update runs against the embedded engine: the statements sent, the rows they
// leave behind, and the outcomes the window reports.
#include "browser/ColumnGrid.h"
#include "controls/GridModel.h"
#include "generate/ValueGenerator.h"
#include "maintain/UpdateRun.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using basKovaData::ColumnRules;
using maintain::UpdateOutcome;

class tst_UpdateRun : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void run_data();
    void run();
    void keyComparison_data();
    void keyComparison();
    void progress_data();
    void progress();
    void nextValueFollowsNextRow();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

// "NAME=K:v0,v1": rule kind K on column NAME; the values go to the number
// slots of numeric columns and of character sequences and random rules, to
// the text slots otherwise; a multiple-fixed rule uses every slot given.
void SetRule(const QString& spec)
{
    const QString name = spec.section(u'=', 0, 0);
    const QString kind = spec.section(u'=', 1).section(u':', 0, 0);
    const QStringList values = spec.section(u':', 1).split(u',', Qt::SkipEmptyParts);
    for (int j = 1; j <= basKovaData::ColumnCount; ++j) {
        basKovaData::ColumnRule& rule = ColumnRules[std::size_t(j)];
        if (rule.ColumnName.trimmed() != name)
            continue;
        rule.RuleKind = kind;
        const QString type = rule.TypeText.trimmed();
        const bool numbers = type.startsWith(u"NUMBER") || (!type.startsWith(u"DATE") && (kind == u"2" || kind == u"3"));
        for (int i = 0; i < values.size(); ++i) {
            if (numbers)
                rule.NumValue[std::size_t(i)] = values[i].toDouble();
            else
                rule.TextValue[std::size_t(i)] = values[i];
            rule.MultiOn[std::size_t(i)] = kind == u"1";
        }
        return;
    }
    QFAIL(qPrintable(u"no column "_s + name));
}

}  // namespace

void tst_UpdateRun::init()
{
    basKovaData::ResetForTests();
    basKovaData::ResetColumnRules();
    m_dir = std::make_unique<QTemporaryDir>();
}

void tst_UpdateRun::cleanup()
{
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
    m_dir.reset();
}

void tst_UpdateRun::run_data()
{
    QTest::addColumn<QStringList>("setup");     // statements; the table is T
    QTest::addColumn<QStringList>("rules");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("errors");
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<QString>("after");  // SELECT * FROM T ORDER BY 1: rows by "|", values by ","

    const auto done = int(UpdateOutcome::Done);
    const QString numKey = u"CREATE TABLE T (A NUMBER(4) PRIMARY KEY, C VARCHAR2(6), N NUMBER(4))"_s;
    const QStringList twoRows{numKey, u"INSERT INTO T VALUES (3,'a',0)"_s, u"INSERT INTO T VALUES (4,'b',0)"_s};

    QTest::newRow("one fixed text, whole table")
        << twoRows << QStringList{u"C=0:x"_s} << QString() << done << 0
        << QStringList{u"UPDATE T SET C = 'x'"_s} << u"3,x,0|4,x,0"_s;
    QTest::newRow("number keeps its blank, condition")
        << QStringList{u"CREATE TABLE T (A NUMBER(4) PRIMARY KEY, C1 NUMBER(4), C2 VARCHAR2(3))"_s,
                       u"INSERT INTO T VALUES (3,0,'a')"_s, u"INSERT INTO T VALUES (4,0,'b')"_s}
        << QStringList{u"C1=0:5"_s, u"C2=0:x"_s} << u"  A=4\n"_s << done << 0
        << QStringList{u"UPDATE T SET C1 =  5,C2 = 'x' WHERE A=4"_s} << u"3,0,a|4,5,x"_s;
    QTest::newRow("fixed: key rule ignored, quote doubled")
        << twoRows << QStringList{u"A=3:1,1"_s, u"C=0:it's"_s} << QString() << done << 0
        << QStringList{u"UPDATE T SET C = 'it''s'"_s} << u"3,it's,0|4,it's,0"_s;
    QTest::newRow("failing fixed update rolled back")
        << twoRows << QStringList{u"C=0:toolong"_s, u"N=0:1"_s} << QString() << done << 0
        << QStringList{u"UPDATE T SET C = 'toolong',N =  1"_s} << u"3,a,0|4,b,0"_s;
    QTest::newRow("sequence by character key")
        << QStringList{u"CREATE TABLE T (K VARCHAR2(5) PRIMARY KEY, C NUMBER(6))"_s,
                       u"INSERT INTO T VALUES ('k1',0)"_s, u"INSERT INTO T VALUES ('k2',0)"_s}
        << QStringList{u"C=3:100,1"_s} << QString() << done << 0
        << QStringList{u"UPDATE T SET C =  100 WHERE K = 'k1'"_s, u"UPDATE T SET C =  101 WHERE K = 'k2'"_s}
        << u"k1,100|k2,101"_s;
    QTest::newRow("sequence by numeric key, in SELECT order")
        << (QStringList(twoRows) << u"INSERT INTO T VALUES (5,'c',0)"_s) << QStringList{u"C=3:1,1"_s}
        << u"A > 3 ORDER BY A DESC"_s << done << 0
        << QStringList{u"UPDATE T SET C = '000001' WHERE A = 5"_s, u"UPDATE T SET C = '000002' WHERE A = 4"_s}
        << u"3,a,0|4,000002,0|5,000001,0"_s;
    QTest::newRow("quote in key and value, two keys")
        << QStringList{u"CREATE TABLE T (K VARCHAR2(9), B NUMBER(2), C VARCHAR2(5), PRIMARY KEY (K, B))"_s,
                       u"INSERT INTO T VALUES ('O''Brien',1,'a')"_s}
        << QStringList{u"C=1:it's"_s} << QString() << done << 0
        << QStringList{u"UPDATE T SET C = 'it''s' WHERE K = 'O''Brien' AND B = 1"_s} << u"O'Brien,1,it's"_s;
    QTest::newRow("date key")
        << QStringList{u"CREATE TABLE T (D DATE PRIMARY KEY, N NUMBER(4))"_s,
                       u"INSERT INTO T VALUES (TO_DATE('20011231 235959','YYYYMMDD HH24MISS'),0)"_s}
        << QStringList{u"N=2:7,7,1"_s} << QString() << done << 0
        << QStringList{u"UPDATE T SET N =  7 WHERE D = TO_DATE('20011231 235959','YYYYMMDD HH24MISS')"_s}
        << u"2001/12/31 23:59:59,7"_s;
    QTest::newRow("NULL rule on a character column")
        << twoRows << QStringList{u"C=5"_s} << u"A=3"_s << done << 0
        << QStringList{u"UPDATE T SET C = NULL WHERE A = 3"_s} << u"3,[NULL],0|4,b,0"_s;
    QTest::newRow("condition on the column being set, indexed")
        << (QStringList(twoRows) << u"CREATE INDEX TN ON T (N)"_s) << QStringList{u"N=3:10,10"_s} << u"N >= 0"_s
        << done << 0 << QStringList{u"UPDATE T SET N =  10 WHERE A = 3"_s, u"UPDATE T SET N =  20 WHERE A = 4"_s}
        << u"3,a,10|4,b,20"_s;

    QStringList ten{u"CREATE TABLE T (A NUMBER(4) PRIMARY KEY, C VARCHAR2(6), N NUMBER(2))"_s}, tenAfter;
    QStringList tenStatements;
    for (int k = 1; k <= 10; ++k) {
        ten << u"INSERT INTO T VALUES (%1,'x',0)"_s.arg(k);
        tenStatements << u"UPDATE T SET N =  %1 WHERE A = %2"_s.arg(92 + k).arg(k);
        tenAfter << u"%1,x,%2"_s.arg(k).arg(92 + k < 100 ? 92 + k : 0);
    }
    QTest::newRow("three of ten failing")
        << ten << QStringList{u"N=3:93,1"_s} << QString() << done << 3 << tenStatements << tenAfter.join(u'|');

    QTest::newRow("wrong condition")
        << twoRows << QStringList{u"N=3:1,1"_s} << u"A = = 3"_s << int(UpdateOutcome::Failed) << 0 << QStringList()
        << u"3,a,0|4,b,0"_s;
    QTest::newRow("no key columns")
        << QStringList{u"CREATE TABLE T (C VARCHAR2(3))"_s, u"INSERT INTO T VALUES ('a')"_s}
        << QStringList{u"C=1:x"_s} << QString() << int(UpdateOutcome::Failed) << 0 << QStringList() << u"a"_s;
    QTest::newRow("rule on the key and a random rule")
        << twoRows << QStringList{u"A=0:1"_s, u"N=2:1,5,1"_s} << QString() << int(UpdateOutcome::KeyHasRule) << 0
        << QStringList() << u"3,a,0|4,b,0"_s;
    QTest::newRow("rule only on the key")
        << twoRows << QStringList{u"A=3:1,1"_s} << QString() << int(UpdateOutcome::NothingToSet) << 0
        << QStringList() << u"3,a,0|4,b,0"_s;
}

void tst_UpdateRun::run()
{
    QFETCH(QStringList, setup);
    QFETCH(QStringList, rules);
    QFETCH(QString, condition);
    QFETCH(int, outcome);
    QFETCH(int, errors);
    QFETCH(QStringList, statements);
    QFETCH(QString, after);

    kovatest::TestDatabase db = kovatest::OpenTestDatabase(*m_dir, setup);
    basKovaData::OraSession = db.session;
    basKovaData::OraDatabase = db.database;
    controls::GridModel grid;
    QCOMPARE(browser::FillColumnGrid(db.database.get(), grid, u"T"_s, true).outcome,
             browser::ColumnGridResult::Outcome::Loaded);
    for (const QString& rule : rules)
        SetRule(rule);

    QStringList sent;
    QList<int> widths;
    maintain::UpdateHooks hooks;
    hooks.statement = [&sent](const QString& sql) { sent << sql; };
    hooks.progress = [&widths](int twips) { widths << twips; };
    const maintain::UpdateResult result = maintain::UpdateRows(u"T"_s, condition, hooks);

    QCOMPARE(int(result.outcome), outcome);
    QCOMPARE(result.errors, qint64(errors));
    if (result.outcome == UpdateOutcome::Failed)
        QCOMPARE(result.errorNumber, 440);
    QCOMPARE(sent, statements);
    if (!statements.isEmpty())
        QCOMPARE(widths.last(), maintain::UpdateProgressFullTwips);
    QStringList rows;
    for (const QStringList& row : kovatest::QueryRows(*db.database, u"SELECT * FROM T ORDER BY 1"_s))
        rows << row.join(u',');
    QCOMPARE(rows.join(u'|'), after);
    // The run left no transaction open: a new one can begin and end.
    db.session->DbBeginTrans();
    db.session->DBRollBack();
}

void tst_UpdateRun::keyComparison_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("NULL") << u"VARCHAR2(5)"_s << QVariant() << u"K IS NULL"_s;
    QTest::newRow("char quote") << u"CHAR(5)"_s << QVariant(u"a'b"_s) << u"K = 'a''b'"_s;
    QTest::newRow("char digits") << u"VARCHAR2(5)"_s << QVariant(u"007"_s) << u"K = '007'"_s;
    QTest::newRow("whole number") << u"NUMBER(8)"_s << QVariant(7.0) << u"K = 7"_s;
    QTest::newRow("fraction") << u"NUMBER(8.2)"_s << QVariant(-0.1) << u"K = -0.1"_s;
    QTest::newRow("date") << u"DATE()"_s << QVariant(QDateTime(QDate(2001, 1, 2), QTime(3, 4, 5), Qt::UTC))
                          << u"K = TO_DATE('20010102 030405','YYYYMMDD HH24MISS')"_s;
    QTest::newRow("other type, text") << u"RAW(4)"_s << QVariant(u"x' OR 1=1"_s) << u"K = 'x'' OR 1=1'"_s;
}

void tst_UpdateRun::keyComparison()
{
    QFETCH(QString, type);
    QFETCH(QVariant, value);
    QFETCH(QString, text);
    basKovaData::ColumnRule key;
    key.ColumnName = u"K"_s;
    key.TypeText = type;
    QCOMPARE(maintain::KeyComparison(key, value), text);
}

void tst_UpdateRun::progress_data()
{
    QTest::addColumn<qint64>("done");
    QTest::addColumn<qint64>("rows");
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("step");
    QTest::newRow("none") << qint64(0) << qint64(0) << 0 << 1;
    QTest::newRow("5 of 10") << qint64(5) << qint64(10) << 2220 << 1;
    QTest::newRow("15 of 25, step 2 (2.5 to even)") << qint64(15) << qint64(25) << 2664 << 2;
    QTest::newRow("past 483667 rows") << qint64(500000) << qint64(1000000) << 2220 << 100;
    QTest::newRow("all of ten million") << qint64(10000000) << qint64(10000000) << 4440 << 100;
}

void tst_UpdateRun::progress()
{
    QFETCH(qint64, done);
    QFETCH(qint64, rows);
    QFETCH(int, twips);
    QFETCH(int, step);
    QCOMPARE(maintain::UpdateProgressTwips(done, rows), twips);
    QCOMPARE(maintain::UpdateProgressStep(rows), step);
}

void tst_UpdateRun::nextValueFollowsNextRow()
{
    // The update takes values column by column; they must be the very values
    // a creation run's rows get.
    ColumnRules.assign(4, basKovaData::ColumnRule());
    basKovaData::ColumnCount = 3;
    ColumnRules[1].TypeText = u"NUMBER(4)"_s;
    ColumnRules[1].RuleKind = u"3"_s;
    ColumnRules[1].NumValue = {5, 1.5};
    ColumnRules[2].TypeText = u"VARCHAR2(4)"_s;
    ColumnRules[2].RuleKind = u"1"_s;
    ColumnRules[2].MultiOn[2] = ColumnRules[2].MultiOn[5] = true;
    ColumnRules[2].TextValue[2] = u"b"_s;
    ColumnRules[2].TextValue[5] = u"e"_s;
    ColumnRules[3].TypeText = u"DATE()"_s;
    ColumnRules[3].RuleKind = u"3"_s;
    ColumnRules[3].TextValue[0] = u"20011231"_s;
    ColumnRules[3].TextValue[1] = u"1"_s;
    generate::ValueGenerator rows(nullptr), columns(nullptr);
    QStringList byRow, byColumn;
    for (int i = 0; i < 4; ++i) {
        rows.NextRow();
        for (int j = 1; j <= 3; ++j) {
            byRow << basKovaData::RowValues[std::size_t(j)];
            byColumn << columns.NextValue(j);
        }
    }
    QCOMPARE(byColumn, byRow);
    QCOMPARE(byRow.mid(3, 3), (QStringList{u"@ 7"_s, u"e"_s, u"@TO_DATE('20020101 000000','YYYYMMDD HH24MISS')"_s}));
    QCOMPARE(columns.NextValue(9), QString());
}

QTEST_GUILESS_MAIN(tst_UpdateRun)
#include "tst_UpdateRun.moc"
