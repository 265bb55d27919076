// label: engine
// The statement preview filling the value list's grid from the embedded engine.
#include "controls/GridModel.h"
#include "rules/StatementPreview.h"
#include "session/OraDatabase.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_StatementPreview : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fills_data();
    void fills();
};

void tst_StatementPreview::fills_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<int>("budget");          // cells the grid may hold, 0 for the default
    QTest::addColumn<QStringList>("values");  // the rows put in
    QTest::addColumn<int>("errorNumber");
    QTest::addColumn<QString>("message");
    const QStringList names = {u"A"_s, u"[NULL]"_s, u"C"_s};
    QTest::newRow("names") << u"SELECT NAME FROM P ORDER BY ID"_s << 0 << names << 0 << u""_s;
    QTest::newRow("second column ignored") << u"SELECT NAME, CODE FROM P ORDER BY ID"_s << 0 << names << 0 << u""_s;
    QTest::newRow("line breaks") << u" \r\nSELECT NAME\r\nFROM P\nORDER BY ID\n"_s << 0 << names << 0 << u""_s;
    QTest::newRow("numbers") << u"SELECT ID FROM P ORDER BY ID"_s << 0 << QStringList{u"1"_s, u"2"_s, u"3"_s} << 0
                             << u""_s;
    QTest::newRow("no row") << u"SELECT NAME FROM P WHERE ID > 9"_s << 0 << QStringList{} << 0 << u""_s;
    QTest::newRow("wrong table") << u"SELECT NAME FROM PP"_s << 0 << QStringList{} << 440
                                 << u"ＳＱＬ文のエラーです。確認してください。440"_s;
    QTest::newRow("grid full after two") << u"SELECT NAME FROM P ORDER BY ID"_s << 6 << names.mid(0, 2) << 30006
                                         << u"メモリオーバーのため、最初の2件を表示しています。"_s;
}

void tst_StatementPreview::fills()
{
    QFETCH(QString, statement);
    QFETCH(int, budget);
    QFETCH(QStringList, values);
    QFETCH(int, errorNumber);
    QTemporaryDir dir;
    const kovatest::TestDatabase db = kovatest::OpenTestDatabase(
        dir, {u"CREATE TABLE P (ID NUMBER(4), NAME VARCHAR2(10), CODE VARCHAR2(5))"_s,
              u"INSERT INTO P VALUES (1, '  A  ', 'x')"_s, u"INSERT INTO P VALUES (2, NULL, 'y')"_s,
              u"INSERT INTO P VALUES (3, 'C', 'z')"_s});
    // A grid left over from an earlier fill: its rows go, its headings come back.
    controls::GridModel grid;
    grid.setRows(6);
    grid.setTextMatrix(0, 1, u"stale"_s);
    if (budget)
        grid.setCellBudget(budget);

    const rules::PreviewResult result = rules::FillPreview(db.database.get(), grid, statement);
    QCOMPARE(result.errorNumber, errorNumber);
    QTEST(result.message, "message");
    QCOMPARE(result.showList, errorNumber != 440);
    QCOMPARE(result.rows, int(values.size()));
    if (values.isEmpty())
        return;
    QCOMPARE(grid.Rows(), values.size() + 1);
    QCOMPARE(grid.TextMatrix(0, 0) + grid.TextMatrix(0, 1), u"Noデータ"_s);
    for (int n = 1; n <= values.size(); ++n) {
        QCOMPARE(grid.TextMatrix(n, 0), QString::number(n));
        QCOMPARE(grid.TextMatrix(n, 1), values[n - 1]);
    }
}

QTEST_GUILESS_MAIN(tst_StatementPreview)
#include "tst_StatementPreview.moc"
