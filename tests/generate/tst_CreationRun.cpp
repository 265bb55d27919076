// label: engine
// The INSERT text of a row and whole creation runs against the embedded engine,
// checked by reading the table back.
#include "browser/ColumnGrid.h"
#include "controls/GridModel.h"
#include "generate/CreationRun.h"
#include "generate/InsertRow.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using basKovaData::ColumnRules;
using basKovaData::RowValues;

class tst_CreationRun : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void insertText_data();
    void insertText();
    void rawTextIsCutAt999Bytes();
    void rowCount_data();
    void rowCount();
    void progressStep_data();
    void progressStep();
    void repeatingKeyCommitsTheFirstRow();
    void freshRulesWriteZeroAndNull();
    void valuesReachTheTableAsTyped();
    void progressIsReportedEveryStep_data();
    void progressIsReportedEveryStep();
    void failingSourceQueryRollsBack();

private:
    // Opens a database with `statements` and loads the columns of `table`.
    void open(const QStringList& statements, const QString& table);
    QList<QStringList> rows(const QString& sql);

    std::unique_ptr<QTemporaryDir> m_dir;
    controls::GridModel m_grid;
};

void tst_CreationRun::init()
{
    basKovaData::ResetForTests();
    basKovaData::ResetColumnRules();
    m_dir = std::make_unique<QTemporaryDir>();
}

void tst_CreationRun::cleanup()
{
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
    m_dir.reset();
}

void tst_CreationRun::open(const QStringList& statements, const QString& table)
{
    kovatest::TestDatabase db = kovatest::OpenTestDatabase(*m_dir, statements);
    basKovaData::OraSession = db.session;
    basKovaData::OraDatabase = db.database;
    const auto loaded = browser::FillColumnGrid(db.database.get(), m_grid, table, true);
    QCOMPARE(loaded.outcome, browser::ColumnGridResult::Outcome::Loaded);
}

QList<QStringList> tst_CreationRun::rows(const QString& sql)
{
    return kovatest::QueryRows(*basKovaData::OraDatabase, sql);
}

void tst_CreationRun::insertText_data()
{
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("sql");
    QTest::newRow("number, text, null") << QStringList{u"@ 12"_s, u"abc"_s, QString()}
                                        << u"Insert into T Values(  12 ,'abc' ,Null ) "_s;
    QTest::newRow("@ alone is 0") << QStringList{u"@"_s, u" @ "_s} << u"Insert into T Values(  0 , 0 ) "_s;
    QTest::newRow("SQL text") << QStringList{u"@SYSDATE"_s, u"@NULL"_s}
                              << u"Insert into T Values(  SYSDATE , NULL ) "_s;
    QTest::newRow("date") << QStringList{u"@TO_DATE('20011231 235959','YYYYMMDD HH24MISS')"_s}
                          << u"Insert into T Values(  TO_DATE('20011231 235959','YYYYMMDD HH24MISS') ) "_s;
    QTest::newRow("quotes doubled") << QStringList{u"O'Brien"_s, u"'"_s}
                                    << u"Insert into T Values( 'O''Brien' ,'''' ) "_s;
    QTest::newRow("blank before @ is text") << QStringList{u" @x"_s} << u"Insert into T Values( ' @x' ) "_s;
    QTest::newRow("text kept as it stands") << QStringList{u" 東京 "_s} << u"Insert into T Values( ' 東京 ' ) "_s;
    QTest::newRow("no columns") << QStringList{} << u"Insert into T Values(  ) "_s;
}

void tst_CreationRun::insertText()
{
    QFETCH(QStringList, values);
    QFETCH(QString, sql);
    for (int i = 0; i < values.size(); ++i)
        RowValues[std::size_t(i) + 1] = values[i];
    QCOMPARE(basKovaData::InsertText(u"T"_s, int(values.size())), sql);
    for (int i = 0; i < values.size(); ++i) {
        if (values[i].trimmed() == u"@"_s)
            QCOMPARE(RowValues[std::size_t(i) + 1], u"@0"_s);
    }
}

void tst_CreationRun::rawTextIsCutAt999Bytes()
{
    RowValues[1] = u"@"_s + QString(600, u'あ');  // 1200 bytes
    const QString sql = basKovaData::InsertText(u"T"_s, 1);
    QCOMPARE(sql, u"Insert into T Values(  "_s + QString(499, u'あ') + u" ) "_s);
}

void tst_CreationRun::rowCount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("rows");  // 0: refused
    QTest::newRow("preset") << u"100"_s << 100;
    QTest::newRow("2.5 to even") << u"2.5"_s << 2;
    QTest::newRow("3.5 to even") << u"3.5"_s << 4;
    QTest::newRow("1.4") << u"1.4"_s << 1;
    QTest::newRow("leading number") << u"12abc"_s << 12;
    QTest::newRow("zero") << u"0"_s << 0;
    QTest::newRow("below one") << u"0.9"_s << 0;
    QTest::newRow("letters") << u"abc"_s << 0;
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("negative") << u"-5"_s << 0;
    QTest::newRow("largest count") << u"2147483647"_s << 2147483647;
    QTest::newRow("beyond 32 bits") << u"1e10"_s << 0;
}

void tst_CreationRun::rowCount()
{
    QFETCH(QString, text);
    QFETCH(int, rows);
    const std::optional<qint32> count = generate::RowCountFromText(text);
    QCOMPARE(count.value_or(0), rows);
}

void tst_CreationRun::progressStep_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("step");
    QTest::newRow("5") << 5 << 1;
    QTest::newRow("15") << 15 << 2;
    QTest::newRow("25") << 25 << 2;
    QTest::newRow("35") << 35 << 4;
    QTest::newRow("5000") << 5000 << 100;
    QTest::newRow("largest") << 2147483647 << 100;
}

void tst_CreationRun::progressStep()
{
    QFETCH(int, rows);
    QFETCH(int, step);
    QCOMPARE(generate::ProgressStep(rows), step);
    QCOMPARE(generate::ProgressTwips(rows, rows), generate::ProgressFullTwips);
    // No overflow past 773,867 rows.
    QCOMPARE(generate::ProgressTwips(1000000, 2000000), 1387);
}

void tst_CreationRun::repeatingKeyCommitsTheFirstRow()
{
    open({u"CREATE TABLE K (ID NUMBER(4) PRIMARY KEY, NAME VARCHAR2(10))"_s}, u"K"_s);
    ColumnRules[1].RuleKind = u"0"_s;
    ColumnRules[1].NumValue[0] = 7;
    qint32 reported = 0;
    generate::CreationHooks hooks;
    hooks.failuresFound = [&reported](qint32 failures) { reported = failures; };
    const generate::CreationResult result = generate::GenerateRows(u"K"_s, 100, hooks);
    QVERIFY(!result.aborted);
    QCOMPARE(result.failures, 99);
    QCOMPARE(reported, 99);
    QCOMPARE(rows(u"SELECT ID, NAME FROM K"_s), (QList<QStringList>{{u"7"_s, u"[NULL]"_s}}));
}

void tst_CreationRun::freshRulesWriteZeroAndNull()
{
    open({u"CREATE TABLE F (N NUMBER(4), C VARCHAR2(10), D DATE)"_s}, u"F"_s);
    bool told = false;
    generate::CreationHooks hooks;
    hooks.failuresFound = [&told](qint32) { told = true; };
    const generate::CreationResult result = generate::GenerateRows(u"F"_s, 3, hooks);
    QCOMPARE(result.failures, 0);
    QVERIFY(!told);
    QCOMPARE(rows(u"SELECT N, C, D FROM F"_s),
             (QList<QStringList>(3, {u"0"_s, u"[NULL]"_s, u"[NULL]"_s})));
}

void tst_CreationRun::valuesReachTheTableAsTyped()
{
    open({u"CREATE TABLE V (ID NUMBER(4) PRIMARY KEY, NAME VARCHAR2(20), STAMP VARCHAR2(30))"_s}, u"V"_s);
    ColumnRules[1].RuleKind = u"3"_s;
    ColumnRules[1].NumValue[0] = 1;
    ColumnRules[1].NumValue[1] = 1;
    ColumnRules[2].RuleKind = u"0"_s;
    ColumnRules[2].TextValue[0] = u"O'Brien"_s;
    ColumnRules[3].RuleKind = u"0"_s;
    ColumnRules[3].TextValue[0] = u"@SYSDATE"_s;
    const generate::CreationResult result = generate::GenerateRows(u"V"_s, 2);
    QCOMPARE(result.failures, 0);
    const QList<QStringList> read = rows(u"SELECT ID, NAME, STAMP FROM V ORDER BY ID"_s);
    QCOMPARE(read.size(), 2);
    QCOMPARE(read[1][0], u"2"_s);
    QCOMPARE(read[0][1], u"O'Brien"_s);
    // SQL text, not the characters typed.
    QVERIFY(read[0][2] != u"@SYSDATE"_s && read[0][2] != u"[NULL]"_s);
    QCOMPARE(read[0][2].left(2), u"20"_s);
}

void tst_CreationRun::progressIsReportedEveryStep_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("widths");
    QTest::newRow("5 rows, every row") << 5 << QList<int>{555, 1110, 1665, 2220, 2775, 2775};
    QTest::newRow("15 rows, every second")
        << 15 << QList<int>{370, 740, 1110, 1480, 1850, 2220, 2590, 2775};
}

void tst_CreationRun::progressIsReportedEveryStep()
{
    QFETCH(int, count);
    QFETCH(QList<int>, widths);
    open({u"CREATE TABLE P (A NUMBER(8))"_s}, u"P"_s);
    QList<int> seen;
    generate::CreationHooks hooks;
    hooks.progress = [&seen](int twips) { seen.append(twips); };
    QCOMPARE(generate::GenerateRows(u"P"_s, count, hooks).failures, 0);
    QCOMPARE(seen, widths);
    QCOMPARE(rows(u"SELECT COUNT(*) FROM P"_s).first().first(), QString::number(count));
}

void tst_CreationRun::failingSourceQueryRollsBack()
{
    open({u"CREATE TABLE S (A NUMBER(8), B VARCHAR2(10))"_s}, u"S"_s);
    ColumnRules[2].RuleKind = u"4"_s;
    ColumnRules[2].TextValue[0] = u"SELECT NAME FROM NO_SUCH_TABLE"_s;
    const generate::CreationResult result = generate::GenerateRows(u"S"_s, 5);
    QVERIFY(result.aborted);
    QCOMPARE(result.errorNumber, 440);
    QCOMPARE(rows(u"SELECT COUNT(*) FROM S"_s).first().first(), u"0"_s);
    // The transaction is closed: the next run commits normally.
    ColumnRules[2].RuleKind = u"0"_s;
    ColumnRules[2].TextValue[0] = u"x"_s;
    QCOMPARE(generate::GenerateRows(u"S"_s, 2).failures, 0);
    QCOMPARE(rows(u"SELECT COUNT(*) FROM S"_s).first().first(), u"2"_s);
}

QTEST_GUILESS_MAIN(tst_CreationRun)
#include "tst_CreationRun.moc"
