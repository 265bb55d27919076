// label: engine
// Loading the column grid and the object list from the dictionary of a real
// embedded database.
#include "browser/ColumnGrid.h"
#include "browser/ObjectList.h"
#include "controls/GridModel.h"
#include "rules/ColumnRule.h"
#include "session/OraDatabase.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

using basKovaData::ColumnRules;
using browser::ColumnGridResult;
using controls::GridModel;

class tst_ColumnGrid : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        basKovaData::ResetForTests();
        basKovaData::ResetColumnRules();
    }

    void dataTypeText_data();
    void dataTypeText();
    void columnsOfATable();
    void compositeKeyMarksEveryKeyColumn();
    void reloadStartsWithoutRulesAndWithoutOldColours();
    void moreColumnsThanTheGridShows();
    void unknownObjectHasNoColumns();
    void brokenViewReportsTheViewError();
    void countRows();
    void objectListTablesThenViews();
};

void tst_ColumnGrid::dataTypeText_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("precision");
    QTest::addColumn<QString>("scale");
    QTest::addColumn<QString>("charLength");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("scaleValue");
    QTest::newRow("varchar2") << u"VARCHAR2"_s << u""_s << u""_s << u"20"_s << u"VARCHAR2(20)"_s << 20 << 0;
    QTest::newRow("char") << u"CHAR"_s << u""_s << u""_s << u"1"_s << u"CHAR(1)"_s << 1 << 0;
    QTest::newRow("date") << u"DATE"_s << u""_s << u""_s << u""_s << u"DATE()"_s << 0 << 0;
    QTest::newRow("number without precision") << u"NUMBER"_s << u""_s << u""_s << u""_s << u"NUMBER()"_s << 0 << 0;
    QTest::newRow("integer") << u"NUMBER"_s << u"8"_s << u"0"_s << u""_s << u"NUMBER(8)"_s << 8 << 0;
    QTest::newRow("scale null") << u"NUMBER"_s << u"8"_s << u""_s << u""_s << u"NUMBER(8)"_s << 8 << 0;
    QTest::newRow("decimal uses a period") << u"NUMBER"_s << u"10"_s << u"2"_s << u""_s << u"NUMBER(10.2)"_s << 10 << 2;
    QTest::newRow("negative scale") << u"NUMBER"_s << u"5"_s << u"-2"_s << u""_s << u"NUMBER(5.-2)"_s << 5 << -2;
    QTest::newRow("size beyond 16 bits held") << u"VARCHAR2"_s << u""_s << u""_s << u"99999"_s << u"VARCHAR2(99999)"_s << 32767 << 0;
}

void tst_ColumnGrid::dataTypeText()
{
    QFETCH(QString, type);
    QFETCH(QString, precision);
    QFETCH(QString, scale);
    QFETCH(QString, charLength);
    QFETCH(QString, expected);
    QFETCH(int, length);
    QFETCH(int, scaleValue);
    qint16 readLength = -1;
    qint16 readScale = -1;
    QCOMPARE(browser::DataTypeText(type, precision, scale, charLength, &readLength, &readScale), expected);
    QCOMPARE(int(readLength), length);
    QCOMPARE(int(readScale), scaleValue);
}

void tst_ColumnGrid::columnsOfATable()
{
    QTemporaryDir dir;
    auto db = kovatest::OpenTestDatabase(
        dir, {QStringLiteral("CREATE TABLE T1 (A NUMBER(10,2), B NUMBER, C DATE, D VARCHAR2(20) NOT NULL, "
                             "E CHAR(1), PRIMARY KEY (D))"),
              QStringLiteral("INSERT INTO T1 (D) VALUES ('x')")});
    GridModel grid;
    const ColumnGridResult result = browser::FillColumnGrid(db.database.get(), grid, QStringLiteral(" T1 "), true);
    QCOMPARE(result.outcome, ColumnGridResult::Outcome::Loaded);
    QCOMPARE(grid.Rows(), 6);
    const QStringList headings{u"項目名"_s, u"データ型"_s, u"KEY"_s, u"NN"_s, u"設定"_s};
    const QList<QStringList> rows{
        {u"A"_s, u"NUMBER(10.2)"_s, u""_s, u""_s, u""_s}, {u"B"_s, u"NUMBER()"_s, u""_s, u""_s, u""_s}, {u"C"_s, u"DATE()"_s, u""_s, u""_s, u""_s},
        {u"D"_s, u"VARCHAR2(20)"_s, u"KEY"_s, u"NN"_s, u""_s}, {u"E"_s, u"CHAR(1)"_s, u""_s, u""_s, u""_s}};
    for (int col = 0; col < 5; ++col)
        QCOMPARE(grid.TextMatrix(0, col), headings[col]);
    for (int row = 1; row <= 5; ++row) {
        for (int col = 0; col < 5; ++col)
            QCOMPARE(grid.TextMatrix(row, col), rows[row - 1][col]);
        const controls::GridColor expected = row == 4 ? controls::GridCyan : controls::GridWhite;
        for (int col = 0; col < 5; ++col)
            QCOMPARE(grid.CellBackColor(row, col), expected);
    }
    QCOMPARE(grid.ColWidth(0), 2800);
    QCOMPARE(grid.ColWidth(4), 960);

    QCOMPARE(int(basKovaData::ColumnCount), 5);
    QCOMPARE(int(ColumnRules.size()), 6);
    const basKovaData::ColumnRule& a = ColumnRules[1];
    QCOMPARE(a.ColumnName.trimmed(), QStringLiteral("A"));
    QCOMPARE(a.ColumnName.text().size(), 50);
    QCOMPARE(a.TypeText.trimmed(), QStringLiteral("NUMBER(10.2)"));
    QCOMPARE(int(a.Length), 10);
    QCOMPARE(int(a.Scale), 2);
    QVERIFY(!a.IsKey);
    QVERIFY(!a.IsNotNull);
    QVERIFY(a.RuleKind.isBlank());
    const basKovaData::ColumnRule& d = ColumnRules[4];
    QVERIFY(d.IsKey);
    QVERIFY(d.IsNotNull);
    QCOMPARE(int(d.Length), 20);
    QCOMPARE(browser::KeyOrderCondition(), QStringLiteral("ORDER BY D"));
}

void tst_ColumnGrid::compositeKeyMarksEveryKeyColumn()
{
    QTemporaryDir dir;
    auto db = kovatest::OpenTestDatabase(
        dir, {QStringLiteral("CREATE TABLE T2 (X VARCHAR2(5), K2 NUMBER(4), Y DATE, K1 NUMBER(8), "
                             "PRIMARY KEY (K1, K2))")});
    GridModel grid;
    QCOMPARE(browser::FillColumnGrid(db.database.get(), grid, QStringLiteral("T2"), true).outcome,
             ColumnGridResult::Outcome::Loaded);
    QStringList keys;
    for (int row = 1; row < grid.Rows(); ++row)
        keys.append(grid.TextMatrix(row, browser::ColKey));
    QCOMPARE(keys, (QStringList{u""_s, u"KEY"_s, u""_s, u"KEY"_s}));
    QCOMPARE(grid.CellBackColor(2, browser::ColRule), controls::GridCyan);
    QCOMPARE(grid.CellBackColor(3, browser::ColName), controls::GridWhite);
    // Key columns in column order, not in key order.
    QCOMPARE(browser::KeyOrderCondition(), QStringLiteral("ORDER BY K2,K1"));
}

void tst_ColumnGrid::reloadStartsWithoutRulesAndWithoutOldColours()
{
    QTemporaryDir dir;
    auto db = kovatest::OpenTestDatabase(
        dir, {QStringLiteral("CREATE TABLE K (ID NUMBER(4) PRIMARY KEY, N VARCHAR2(5), M VARCHAR2(5))"),
              QStringLiteral("CREATE TABLE P (A VARCHAR2(5))")});
    GridModel grid;
    QCOMPARE(browser::FillColumnGrid(db.database.get(), grid, QStringLiteral("K"), true).outcome,
             ColumnGridResult::Outcome::Loaded);
    ColumnRules[2].RuleKind = QStringLiteral("3");
    ColumnRules[2].NumValue[0] = 5;
    grid.setCellBackColor(2, browser::ColRule, controls::GridRgb(0, 255, 0));

    QCOMPARE(browser::FillColumnGrid(db.database.get(), grid, QStringLiteral("K"), true).outcome,
             ColumnGridResult::Outcome::Loaded);
    QVERIFY(ColumnRules[2].RuleKind.isBlank());
    QCOMPARE(ColumnRules[2].NumValue[0], 0.0);
    QCOMPARE(grid.CellBackColor(2, browser::ColRule), controls::GridWhite);

    // A table without a key shows no cyan where the previous one had its key.
    QCOMPARE(browser::FillColumnGrid(db.database.get(), grid, QStringLiteral("P"), true).outcome,
             ColumnGridResult::Outcome::Loaded);
    QCOMPARE(grid.Rows(), 2);
    QCOMPARE(grid.CellBackColor(1, browser::ColName), controls::GridWhite);
    QCOMPARE(int(ColumnRules.size()), 2);
    QCOMPARE(browser::KeyOrderCondition(), QString());
}

void tst_ColumnGrid::moreColumnsThanTheGridShows()
{
    QTemporaryDir dir;
    auto db = kovatest::OpenTestDatabase(
        dir, {QStringLiteral("CREATE TABLE W (C1 NUMBER, C2 NUMBER, C3 NUMBER, C4 NUMBER)"),
              QStringLiteral("CREATE TABLE S (A NUMBER)")});
    GridModel grid;
    QCOMPARE(browser::FillColumnGrid(db.database.get(), grid, QStringLiteral("S"), true).outcome,
             ColumnGridResult::Outcome::Loaded);
    basKovaData::MaxDisplayRows = 3;
    const ColumnGridResult result = browser::FillColumnGrid(db.database.get(), grid, QStringLiteral("W"), true);
    QCOMPARE(result.outcome, ColumnGridResult::Outcome::TooManyColumns);
    QCOMPARE(result.message, QStringLiteral("最大行を超えました"));
    QCOMPARE(result.icon, basKovaData::MessageIcon::Exclamation);
    QCOMPARE(grid.Rows(), 4);
    QCOMPARE(grid.TextMatrix(3, 0), QStringLiteral("C3"));
    // No rule may stay attached to the previous table's columns.
    QCOMPARE(int(ColumnRules.size()), 1);

    basKovaData::MaxDisplayRows = 4;
    QCOMPARE(browser::FillColumnGrid(db.database.get(), grid, QStringLiteral("W"), true).outcome,
             ColumnGridResult::Outcome::Loaded);
    QCOMPARE(int(ColumnRules.size()), 5);
}

void tst_ColumnGrid::unknownObjectHasNoColumns()
{
    QTemporaryDir dir;
    auto db = kovatest::OpenTestDatabase(dir);
    GridModel grid;
    const ColumnGridResult result = browser::FillColumnGrid(db.database.get(), grid, QStringLiteral("NONE"), true);
    QCOMPARE(result.outcome, ColumnGridResult::Outcome::NoColumns);
    QCOMPARE(result.message, QStringLiteral("データなし"));
    QCOMPARE(result.icon, basKovaData::MessageIcon::Exclamation);
    QCOMPARE(grid.Rows(), 1);
    QCOMPARE(grid.TextMatrix(0, 4), QStringLiteral("設定"));
}

void tst_ColumnGrid::brokenViewReportsTheViewError()
{
    QTemporaryDir dir;
    auto db = kovatest::OpenTestDatabase(dir, {QStringLiteral("CREATE TABLE B (A NUMBER)"),
                                               QStringLiteral("CREATE VIEW BV AS SELECT A FROM B"),
                                               QStringLiteral("DROP TABLE B")});
    GridModel grid;
    const ColumnGridResult result = browser::FillColumnGrid(db.database.get(), grid, u"BV"_s, false);
    QCOMPARE(result.outcome, ColumnGridResult::Outcome::Failed);
    QCOMPARE(result.message, u"ビューにエラーがあります。確認してください。"_s);
    QCOMPARE(result.icon, basKovaData::MessageIcon::Information);
    QCOMPARE(int(ColumnRules.size()), 1);
    QCOMPARE(browser::ObjectErrorMessage(true), QStringLiteral("テーブルにエラーがあります。確認してください。"));
}

void tst_ColumnGrid::countRows()
{
    QTemporaryDir dir;
    auto db = kovatest::OpenTestDatabase(dir, {QStringLiteral("CREATE TABLE C (A NUMBER)"),
                                               QStringLiteral("INSERT INTO C VALUES (1)"),
                                               QStringLiteral("INSERT INTO C VALUES (2)")});
    QCOMPARE(browser::CountRows(db.database.get(), QStringLiteral(" C ")), QStringLiteral("2"));
    QVERIFY_THROWS_EXCEPTION(std::exception, browser::CountRows(db.database.get(), QStringLiteral("MISSING")));
    QVERIFY_THROWS_EXCEPTION(std::exception, browser::CountRows(nullptr, QStringLiteral("C")));
}

void tst_ColumnGrid::objectListTablesThenViews()
{
    QTemporaryDir dir;
    auto db = kovatest::OpenTestDatabase(dir, {QStringLiteral("CREATE TABLE ZT (A NUMBER)"),
                                               QStringLiteral("CREATE TABLE AT (A NUMBER)"),
                                               QStringLiteral("CREATE VIEW MV AS SELECT A FROM ZT")});
    browser::ObjectList list;
    browser::LoadObjectList(*db.database, list);
    QCOMPARE(list.names.size(), 3);
    QCOMPARE(list.names.last(), QStringLiteral("MV"));
    QCOMPARE(list.firstViewIndex, 3);
    QVERIFY(!list.isView(1));
    QVERIFY(list.isView(2));

    QTemporaryDir viewsOnly;
    auto views = kovatest::OpenTestDatabase(viewsOnly, {QStringLiteral("CREATE VIEW V1 AS SELECT 1 A FROM DUAL")});
    browser::LoadObjectList(*views.database, list);
    QCOMPARE(list.names, QStringList{QStringLiteral("V1")});
    QCOMPARE(list.firstViewIndex, 1);
    QVERIFY(list.isView(0));
}

QTEST_GUILESS_MAIN(tst_ColumnGrid)
#include "tst_ColumnGrid.moc"
