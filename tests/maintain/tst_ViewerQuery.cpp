// label: engine
// The data viewer's query run against the embedded engine: statement texts,
// the row limit, NULL marks, widths and failures.
#include "browser/ColumnGrid.h"
#include "controls/GridModel.h"
#include "maintain/ViewerQuery.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"
#include "session/OraSession.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Table W: ID 1..rows, NAME NULL for ID 2 (else 13 characters with blanks around),
// NOTE 40 characters, AMOUNT 5.
kovatest::TestDatabase OpenViewerTable(const QTemporaryDir& dir, controls::GridModel& mainGrid, int rows)
{
    basKovaData::ResetForTests();
    kovatest::TestDatabase db = kovatest::OpenTestDatabase(
        dir, {u"CREATE TABLE W (ID NUMBER(4) PRIMARY KEY, NAME VARCHAR2(30), NOTE VARCHAR2(100), AMOUNT NUMBER(20))"_s});
    db.session->DbBeginTrans();
    for (int id = 1; id <= rows; ++id) {
        const QString name = id == 2 ? u"NULL"_s : u"' Name number %1 '"_s.arg(id);
        basKovaData::ExecuteSql(db.database.get(), u"INSERT INTO W VALUES (%1, %2, '%3', 5)"_s.arg(id).arg(name).arg(
                                                       QString(40, QLatin1Char('x'))));
    }
    db.session->DbCommitTrans();
    browser::FillColumnGrid(db.database.get(), mainGrid, u"W"_s, true);
    basKovaData::ChosenTable = u"W"_s;
    return db;
}

QStringList Column(const controls::GridModel& grid, int col)
{
    QStringList texts;
    for (int row = 0; row < grid.Rows(); ++row)
        texts.append(grid.TextMatrix(row, col));
    return texts;
}

}  // namespace

class tst_ViewerQuery : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void statement_data();
    void statement();
    void rowLimit_data();
    void rowLimit();
    void openingAndWidths();
    void sizelessColumnsAndWideHeadings_data();
    void sizelessColumnsAndWideHeadings();
    void failures_data();
    void failures();
};

void tst_ViewerQuery::statement_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("ids");
    QTest::newRow("empty") << u""_s << u" SELECT * FROM W"_s << QStringList{u"1"_s, u"2"_s, u"3"_s};
    QTest::newRow("blanks only") << u" \r\n "_s << u" SELECT * FROM W"_s << QStringList{u"1"_s, u"2"_s, u"3"_s};
    QTest::newRow("where") << u"  ID > 1 "_s << u" SELECT * FROM W WHERE ID > 1"_s << QStringList{u"2"_s, u"3"_s};
    QTest::newRow("order by mixed case") << u" Order By ID DESC"_s << u" SELECT * FROM W Order By ID DESC"_s
                                         << QStringList{u"3"_s, u"2"_s, u"1"_s};
    QTest::newRow("two lines") << u"ID > 1\r\nAND ID < 3"_s << u" SELECT * FROM W WHERE ID > 1  AND ID < 3"_s
                               << QStringList{u"2"_s};
    QTest::newRow("order by broken over lines") << u"ORDER\nBY ID DESC"_s << u" SELECT * FROM W ORDER BY ID DESC"_s
                                                << QStringList{u"3"_s, u"2"_s, u"1"_s};
}

void tst_ViewerQuery::statement()
{
    QFETCH(QString, condition);
    QFETCH(QString, sql);
    QFETCH(QStringList, ids);
    QTemporaryDir dir;
    controls::GridModel mainGrid;
    const kovatest::TestDatabase db = OpenViewerTable(dir, mainGrid, 3);
    controls::GridModel grid;
    maintain::PrepareViewerGrid(grid, &mainGrid);
    const maintain::ViewerRunResult result = maintain::RunViewerQuery(db.database.get(), grid, &mainGrid, condition);
    QCOMPARE(result.statement, sql);
    QCOMPARE(result.errorNumber, 0);
    QCOMPARE(Column(grid, 0).mid(1), ids);
    // The very text reached the engine.
    const QString escaped = QString(sql).replace(u"'"_s, u"''"_s);
    QCOMPARE(kovatest::QueryRows(*db.database, u"SELECT COUNT(*) FROM V$SQL WHERE SQL_TEXT = '%1'"_s.arg(escaped)),
             QList<QStringList>{{u"1"_s}});
}

void tst_ViewerQuery::rowLimit_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("line");
    QTest::newRow("299") << u"ID <= 299"_s << 299 << u"データ 299件"_s;
    QTest::newRow("300") << u"ID <= 300"_s << 300 << u"最初の300件を表示しています。"_s;
    QTest::newRow("301") << u""_s << 300 << u"最初の300件を表示しています。"_s;
    // An empty result clears the previous run's rows down to the heading row.
    QTest::newRow("none") << u"ID > 999"_s << 0 << u"データ 0件"_s;
}

void tst_ViewerQuery::rowLimit()
{
    QFETCH(QString, condition);
    QFETCH(int, rows);
    QTemporaryDir dir;
    controls::GridModel mainGrid;
    const kovatest::TestDatabase db = OpenViewerTable(dir, mainGrid, 301);
    QCOMPARE(basKovaData::MaxDisplayRows, qint16(300));
    controls::GridModel grid;
    maintain::PrepareViewerGrid(grid, &mainGrid);
    maintain::RunViewerQuery(db.database.get(), grid, &mainGrid, u"ID <= 5"_s);
    int started = 0;
    const maintain::ViewerRunResult result =
        maintain::RunViewerQuery(db.database.get(), grid, &mainGrid, condition, [&started]() { ++started; });
    QCOMPARE(started, 1);
    QCOMPARE(result.rows, rows);
    QCOMPARE(grid.Rows(), rows + 1);
    QTEST(result.messageLine.value_or(u"(kept)"_s), "line");
    QCOMPARE(grid.TextMatrix(0, 0), u"ID"_s);
    if (rows > 0)
        QCOMPARE(grid.TextMatrix(rows, 0), QString::number(rows));
}

void tst_ViewerQuery::openingAndWidths()
{
    QTemporaryDir dir;
    controls::GridModel mainGrid;
    const kovatest::TestDatabase db = OpenViewerTable(dir, mainGrid, 3);
    controls::GridModel grid;
    grid.setRows(9);
    maintain::PrepareViewerGrid(grid, &mainGrid);
    QCOMPARE(grid.Rows(), 1);
    QCOMPARE(Column(grid, 0) + Column(grid, 1) + Column(grid, 2) + Column(grid, 3),
             (QStringList{u"ID"_s, u"NAME"_s, u"NOTE"_s, u"AMOUNT"_s}));
    const auto widths = [&grid]() {
        return QList<int>{grid.ColWidth(0), grid.ColWidth(1), grid.ColWidth(2), grid.ColWidth(3)};
    };
    // From the declared length (NOTE capped at 50 characters), at least the heading.
    QCOMPARE(widths(), (QList<int>{460, 2800, 4600, 1900}));
    QCOMPARE((QList<int>{grid.ColAlignment(0), grid.ColAlignment(1), grid.ColAlignment(3)}), (QList<int>{7, 1, 7}));
    QCOMPARE(grid.CellAlignment(0, 2), 4);

    // Row 2 alone: "[NULL]" counts six characters; AMOUNT "5" is narrower than its heading.
    maintain::ViewerRunResult result = maintain::RunViewerQuery(db.database.get(), grid, &mainGrid, u"ID = 2"_s);
    QCOMPARE(Column(grid, 1), (QStringList{u"NAME"_s, u"[NULL]"_s}));
    QCOMPARE(widths(), (QList<int>{280, 1180, 4600, 640}));
    // Wider names later do not widen the column again; trimmed values.
    result = maintain::RunViewerQuery(db.database.get(), grid, &mainGrid, u"ID <> 2"_s);
    QCOMPARE(Column(grid, 1), (QStringList{u"NAME"_s, u"Name number 1"_s, u"Name number 3"_s}));
    QCOMPARE(widths(), (QList<int>{280, 1180, 4600, 640}));
}

void tst_ViewerQuery::sizelessColumnsAndWideHeadings_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QList<int>>("widths");
    // Opening: the headings' half-width cells (a kanji counts two) plus padding;
    // 明細番号 is wider than its NUMBER(4). The DATE and the bare NUMBER follow
    // their widest value, the sized column keeps to its heading.
    QTest::newRow("opening") << u"(none)"_s << QList<int>{640, 640, 820};
    QTest::newRow("time of day") << u"明細番号 = 1"_s << QList<int>{1810, 730, 820};
    QTest::newRow("date alone") << u"明細番号 = 2"_s << QList<int>{1000, 640, 820};
    QTest::newRow("no rows") << u"明細番号 = 3"_s << QList<int>{640, 640, 820};
}

void tst_ViewerQuery::sizelessColumnsAndWideHeadings()
{
    QFETCH(QString, condition);
    basKovaData::ResetForTests();
    QTemporaryDir dir;
    const kovatest::TestDatabase db = kovatest::OpenTestDatabase(
        dir, {u"CREATE TABLE J (受注日 DATE, 重要度 NUMBER, 明細番号 NUMBER(4))"_s,
              u"INSERT INTO J VALUES (TO_DATE('20011201 085959','YYYYMMDD HH24MISS'), 12345.5, 1)"_s,
              u"INSERT INTO J VALUES (TO_DATE('20011202 000000','YYYYMMDD HH24MISS'), 2, 2)"_s});
    controls::GridModel mainGrid;
    browser::FillColumnGrid(db.database.get(), mainGrid, u"J"_s, true);
    basKovaData::ChosenTable = u"J"_s;
    controls::GridModel grid;
    maintain::PrepareViewerGrid(grid, &mainGrid);
    if (condition != u"(none)")
        QCOMPARE(maintain::RunViewerQuery(db.database.get(), grid, &mainGrid, condition).errorNumber, 0);
    QTEST((QList<int>{grid.ColWidth(0), grid.ColWidth(1), grid.ColWidth(2)}), "widths");
}

void tst_ViewerQuery::failures_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<qint64>("budget");  // cells the grid may hold, 0 for the default
    QTest::addColumn<int>("errorNumber");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("message");
    const QString sqlError = u"ＳＱＬ文のエラーです。確認してください。440"_s;
    QTest::newRow("nothing after =") << u"ID ="_s << qint64(0) << 440 << 1 << u"(kept)"_s << sqlError;
    QTest::newRow("open quote") << u"NAME = 'x"_s << qint64(0) << 440 << 1 << u"(kept)"_s << sqlError;
    QTest::newRow("second statement") << u"1=1; DROP TABLE W"_s << qint64(0) << 440 << 1 << u"(kept)"_s << sqlError;
    QTest::newRow("order by alone") << u"order by"_s << qint64(0) << 440 << 1 << u"(kept)"_s << sqlError;
    QTest::newRow("grid full") << u""_s << qint64(12) << 30006 << 2
                               << u"メモリオーバーのため、最初の2件を表示しています。"_s << u""_s;
}

void tst_ViewerQuery::failures()
{
    QFETCH(QString, condition);
    QFETCH(qint64, budget);
    QFETCH(int, rows);
    QTemporaryDir dir;
    controls::GridModel mainGrid;
    const kovatest::TestDatabase db = OpenViewerTable(dir, mainGrid, 3);
    controls::GridModel grid;
    maintain::PrepareViewerGrid(grid, &mainGrid);
    QCOMPARE(maintain::RunViewerQuery(db.database.get(), grid, &mainGrid, u"ID = 3"_s).rows, 1);
    if (budget)
        grid.setCellBudget(budget);
    const maintain::ViewerRunResult result = maintain::RunViewerQuery(db.database.get(), grid, &mainGrid, condition);
    QTEST(result.errorNumber, "errorNumber");
    QTEST(result.message, "message");
    QTEST(result.messageLine.value_or(u"(kept)"_s), "line");
    QCOMPARE(result.rows, rows);
    QCOMPARE(grid.Rows(), rows + 1);
    QCOMPARE(grid.TextMatrix(rows, 0), QString::number(rows == 1 && budget == 0 ? 3 : rows));
    QCOMPARE(kovatest::QueryRows(*db.database, u"SELECT COUNT(*) FROM W"_s), QList<QStringList>{{u"3"_s}});
    // Without a database nothing changes and nothing is said.
    const maintain::ViewerRunResult none = maintain::RunViewerQuery(nullptr, grid, &mainGrid, u""_s);
    QCOMPARE(none.errorNumber, -1);
    QVERIFY(!none.messageLine && none.message.isEmpty());
    QCOMPARE(grid.Rows(), rows + 1);
}

QTEST_GUILESS_MAIN(tst_ViewerQuery)
#include "tst_ViewerQuery.moc"
