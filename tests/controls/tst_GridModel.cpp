// label: core
#include "controls/GridModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

using controls::GridError;
using controls::GridModel;

namespace {

QString CellText(int row, int col)
{
    return QStringLiteral("r%1c%2").arg(row).arg(col);
}

void Fill(GridModel& grid, int rows, int cols)
{
    grid.setCols(cols);
    grid.setRows(rows);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c)
            grid.setTextMatrix(r, c, CellText(r, c));
    }
}

// Applies a script of "name value" steps separated by ";" to the selection.
void RunSelectionScript(GridModel& grid, const QString& script)
{
    const QStringList steps = script.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& step : steps) {
        const QStringList parts = step.trimmed().split(QLatin1Char(' '));
        QCOMPARE(parts.size(), 2);
        const QString& name = parts[0];
        const int value = parts[1].toInt();
        if (name == QLatin1String("row"))
            grid.setRow(value);
        else if (name == QLatin1String("col"))
            grid.setCol(value);
        else if (name == QLatin1String("rowsel"))
            grid.setRowSel(value);
        else if (name == QLatin1String("colsel"))
            grid.setColSel(value);
        else if (name == QLatin1String("rows"))
            grid.setRows(value);
        else if (name == QLatin1String("cols"))
            grid.setCols(value);
        else
            QFAIL(qPrintable(QStringLiteral("unknown step ") + name));
    }
}

}  // namespace

class tst_GridModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void resizeKeepsCells_data();
    void resizeKeepsCells();
    void rowsOneLeavesOnlyHeading();
    void droppedCellsComeBackEmpty();
    void clearEmptiesTextsAndCellFormats();
    void budget_data();
    void budget();
    void selection_data();
    void selection();
    void selectionMovedOnlyOnChange();
    void outOfRangeReads_data();
    void outOfRangeReads();
    void outOfRangeWritesAreIgnored();
    void alignment_data();
    void alignment();
    void colours();
    void columnWidths();
    void rewritesKeepEveryText();
    void viewMapping();
    void notificationsStayConsistent();
};

void tst_GridModel::resizeKeepsCells_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cols");
    QTest::addColumn<int>("newRows");
    QTest::addColumn<int>("newCols");

    QTest::newRow("more rows") << 4 << 3 << 9 << 3;
    QTest::newRow("more columns") << 4 << 3 << 4 << 7;
    QTest::newRow("more of both") << 2 << 2 << 6 << 5;
    QTest::newRow("fewer rows") << 8 << 3 << 3 << 3;
    QTest::newRow("fewer columns") << 4 << 6 << 4 << 2;
    QTest::newRow("fewer rows, more columns") << 8 << 2 << 5 << 4;
    QTest::newRow("one row at a time") << 1 << 3 << 2 << 3;
}

void tst_GridModel::resizeKeepsCells()
{
    QFETCH(int, rows);
    QFETCH(int, cols);
    QFETCH(int, newRows);
    QFETCH(int, newCols);

    GridModel grid;
    Fill(grid, rows, cols);
    grid.setRows(newRows);
    grid.setCols(newCols);

    QCOMPARE(grid.Rows(), newRows);
    QCOMPARE(grid.Cols(), newCols);
    for (int r = 0; r < newRows; ++r) {
        for (int c = 0; c < newCols; ++c) {
            const QString expected = r < rows && c < cols ? CellText(r, c) : QString();
            QCOMPARE(grid.TextMatrix(r, c), expected);
        }
    }
}

void tst_GridModel::rowsOneLeavesOnlyHeading()
{
    GridModel grid;
    Fill(grid, 6, 3);
    grid.setRows(1);

    QCOMPARE(grid.Rows(), 1);
    QCOMPARE(grid.rowCount(), 0);
    QCOMPARE(grid.TextMatrix(0, 2), CellText(0, 2));
    QCOMPARE(grid.TextMatrix(1, 0), QString());
}

void tst_GridModel::droppedCellsComeBackEmpty()
{
    GridModel grid;
    Fill(grid, 5, 4);
    grid.setCellBackColor(4, 1, controls::GridCyan);
    grid.setCellForeColor(2, 3, controls::GridRgb(255, 0, 0));
    grid.setCellAlignment(4, 1, controls::AlignRightCenter);

    grid.setRows(3);
    grid.setCols(3);
    grid.setRows(5);
    grid.setCols(4);

    QCOMPARE(grid.TextMatrix(4, 1), QString());
    QCOMPARE(grid.TextMatrix(2, 3), QString());
    QCOMPARE(grid.CellBackColor(4, 1), controls::GridWhite);
    QCOMPARE(grid.CellForeColor(2, 3), controls::GridBlack);
    QCOMPARE(grid.CellAlignment(4, 1), int(controls::AlignLeftCenter));
    QCOMPARE(grid.TextMatrix(2, 2), CellText(2, 2));
}

void tst_GridModel::clearEmptiesTextsAndCellFormats()
{
    GridModel grid;
    Fill(grid, 4, 3);
    grid.setColWidth(1, 2000);
    grid.setColAlignment(2, controls::AlignRightCenter);
    grid.setCellAlignment(2, 2, controls::AlignCenterCenter);
    grid.setCellBackColor(2, 2, controls::GridCyan);
    grid.setCellForeColor(2, 2, controls::GridWhite);

    QSignalSpy headings(&grid, &QAbstractItemModel::headerDataChanged);
    grid.Clear();

    QCOMPARE(grid.Rows(), 4);
    QCOMPARE(grid.Cols(), 3);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 3; ++c)
            QCOMPARE(grid.TextMatrix(r, c), QString());
    }
    QCOMPARE(grid.headerData(0, Qt::Horizontal).toString(), QString());
    QVERIFY(!headings.isEmpty());
    QCOMPARE(grid.ColWidth(1), 2000);
    QCOMPARE(grid.ColAlignment(2), int(controls::AlignRightCenter));
    QCOMPARE(grid.CellAlignment(2, 2), int(controls::AlignRightCenter));
    QCOMPARE(grid.CellBackColor(2, 2), controls::GridWhite);
    QCOMPARE(grid.CellForeColor(2, 2), controls::GridBlack);
    QVERIFY(!grid.data(grid.index(1, 2), GridModel::BackColorRole).isValid());

    // Texts written after a clear are kept as any others.
    grid.setTextMatrix(0, 1, QStringLiteral("設定"));
    QCOMPARE(grid.TextMatrix(0, 1), QStringLiteral("設定"));
}

void tst_GridModel::budget_data()
{
    QTest::addColumn<qint64>("budget");
    QTest::addColumn<bool>("growRows");  // else columns
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("refused");

    // The grid starts as 4 rows x 5 columns.
    QTest::newRow("rows up to the budget") << qint64(30) << true << 6 << false;
    QTest::newRow("rows past the budget") << qint64(30) << true << 7 << true;
    QTest::newRow("columns up to the budget") << qint64(32) << false << 8 << false;
    QTest::newRow("columns past the budget") << qint64(32) << false << 9 << true;
    QTest::newRow("far past the budget") << qint64(30) << true << 100000000 << true;
}

void tst_GridModel::budget()
{
    QFETCH(qint64, budget);
    QFETCH(bool, growRows);
    QFETCH(int, size);
    QFETCH(bool, refused);

    GridModel grid;
    Fill(grid, 4, 5);
    grid.setCellBudget(budget);
    QSignalSpy rowsAdded(&grid, &QAbstractItemModel::rowsAboutToBeInserted);
    QSignalSpy colsAdded(&grid, &QAbstractItemModel::columnsAboutToBeInserted);

    int number = 0;
    try {
        if (growRows)
            grid.setRows(size);
        else
            grid.setCols(size);
    } catch (const GridError& error) {
        number = error.number();
    }

    if (!refused) {
        QCOMPARE(number, 0);
        QCOMPARE(growRows ? grid.Rows() : grid.Cols(), size);
        return;
    }
    QCOMPARE(number, 30006);
    QCOMPARE(grid.Rows(), 4);
    QCOMPARE(grid.Cols(), 5);
    QCOMPARE(grid.rowCount(), 3);
    QCOMPARE(grid.TextMatrix(3, 4), CellText(3, 4));
    QCOMPARE(rowsAdded.count(), 0);
    QCOMPARE(colsAdded.count(), 0);
}

void tst_GridModel::selection_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("rowSel");
    QTest::addColumn<int>("colSel");

    // The grid is 10 rows x 5 columns before the script runs.
    QTest::newRow("starts on the heading") << QString() << 0 << 0 << 0 << 0;
    QTest::newRow("row collapses") << "rowsel 6; row 3" << 3 << 0 << 3 << 0;
    QTest::newRow("col collapses") << "colsel 4; col 2" << 0 << 2 << 0 << 2;
    QTest::newRow("rowsel extends downwards") << "row 3; rowsel 7" << 3 << 0 << 7 << 0;
    QTest::newRow("rowsel extends upwards") << "row 6; rowsel 2" << 6 << 0 << 2 << 0;
    QTest::newRow("colsel extends") << "row 2; col 1; colsel 3" << 2 << 1 << 2 << 3;
    QTest::newRow("row keeps the column range") << "col 1; colsel 3; row 4" << 4 << 1 << 4 << 3;
    QTest::newRow("row past the end is clamped") << "row 25" << 9 << 0 << 9 << 0;
    QTest::newRow("negative row is clamped") << "row 4; row -3" << 0 << 0 << 0 << 0;
    QTest::newRow("col past the end is clamped") << "col 9" << 0 << 4 << 0 << 4;
    QTest::newRow("rowsel past the end is clamped") << "row 2; rowsel 40" << 2 << 0 << 9 << 0;
    QTest::newRow("fewer rows pull the cell in") << "row 8; rows 5" << 4 << 0 << 4 << 0;
    QTest::newRow("fewer rows pull rowsel in") << "row 2; rowsel 9; rows 6" << 2 << 0 << 5 << 0;
    QTest::newRow("fewer columns pull the cell in") << "col 4; colsel 1; cols 3" << 0 << 2 << 0 << 1;
    QTest::newRow("more rows move nothing") << "row 3; rowsel 5; rows 20" << 3 << 0 << 5 << 0;
}

void tst_GridModel::selection()
{
    QFETCH(QString, script);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(int, rowSel);
    QFETCH(int, colSel);

    GridModel grid;
    Fill(grid, 10, 5);
    RunSelectionScript(grid, script);

    QCOMPARE(grid.Row(), row);
    QCOMPARE(grid.Col(), col);
    QCOMPARE(grid.RowSel(), rowSel);
    QCOMPARE(grid.ColSel(), colSel);
}

void tst_GridModel::selectionMovedOnlyOnChange()
{
    GridModel grid;
    Fill(grid, 10, 5);
    QSignalSpy moved(&grid, &GridModel::selectionMoved);

    grid.setRow(3);
    QCOMPARE(moved.count(), 1);
    grid.setRow(3);
    QCOMPARE(moved.count(), 1);
    grid.setRowSel(5);
    QCOMPARE(moved.count(), 2);
    grid.setRow(3);  // collapses the selection: a change
    QCOMPARE(moved.count(), 3);
    grid.setRows(3);  // pulls the current row in
    QCOMPARE(moved.count(), 4);
    QCOMPARE(grid.Row(), 2);
}

void tst_GridModel::outOfRangeReads_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");

    // The grid is 3 rows x 2 columns.
    QTest::newRow("negative row") << -1 << 0;
    QTest::newRow("negative column") << 0 << -1;
    QTest::newRow("row past the end") << 3 << 0;
    QTest::newRow("column past the end") << 1 << 2;
    QTest::newRow("far away") << 70000 << 400;
}

void tst_GridModel::outOfRangeReads()
{
    QFETCH(int, row);
    QFETCH(int, col);

    GridModel grid;
    Fill(grid, 3, 2);
    grid.setCellBackColor(2, 1, controls::GridCyan);
    grid.setCellForeColor(2, 1, controls::GridCyan);
    grid.setCellAlignment(2, 1, controls::AlignRightCenter);

    QCOMPARE(grid.TextMatrix(row, col), QString());
    QCOMPARE(grid.CellBackColor(row, col), controls::GridWhite);
    QCOMPARE(grid.CellForeColor(row, col), controls::GridBlack);
    QCOMPARE(grid.CellAlignment(row, col), int(controls::AlignLeftCenter));
}

void tst_GridModel::outOfRangeWritesAreIgnored()
{
    GridModel grid;
    Fill(grid, 3, 2);
    QSignalSpy changed(&grid, &QAbstractItemModel::dataChanged);
    QSignalSpy formatted(&grid, &GridModel::columnsFormatted);

    grid.setTextMatrix(3, 0, QStringLiteral("x"));
    grid.setTextMatrix(0, -1, QStringLiteral("x"));
    grid.setCellBackColor(1, 2, controls::GridCyan);
    grid.setCellForeColor(-1, 0, controls::GridCyan);
    grid.setCellAlignment(5, 0, controls::AlignRightCenter);
    grid.setColWidth(2, 100);
    grid.setColAlignment(-1, controls::AlignRightCenter);

    QCOMPARE(changed.count(), 0);
    QCOMPARE(formatted.count(), 0);
    QCOMPARE(grid.Rows(), 3);
    QCOMPARE(grid.Cols(), 2);
    QCOMPARE(grid.TextMatrix(2, 1), CellText(2, 1));
}

void tst_GridModel::alignment_data()
{
    QTest::addColumn<int>("colCode");
    QTest::addColumn<int>("cellCode");  // 0: no cell override
    QTest::addColumn<int>("expectedCode");
    QTest::addColumn<int>("expectedQt");

    const int left = int(Qt::AlignLeft | Qt::AlignVCenter);
    const int centre = int(Qt::AlignHCenter | Qt::AlignVCenter);
    const int right = int(Qt::AlignRight | Qt::AlignVCenter);
    QTest::newRow("column left") << 1 << 0 << 1 << left;
    QTest::newRow("column centre") << 4 << 0 << 4 << centre;
    QTest::newRow("column right") << 7 << 0 << 7 << right;
    QTest::newRow("cell centre over column right") << 7 << 4 << 4 << centre;
    QTest::newRow("cell right over column left") << 1 << 7 << 7 << right;
    QTest::newRow("cell left over column centre") << 4 << 1 << 1 << left;
}

void tst_GridModel::alignment()
{
    QFETCH(int, colCode);
    QFETCH(int, cellCode);
    QFETCH(int, expectedCode);
    QFETCH(int, expectedQt);

    GridModel grid;
    Fill(grid, 4, 3);
    grid.setColAlignment(1, colCode);
    if (cellCode != 0) {
        grid.setCellAlignment(0, 1, cellCode);
        grid.setCellAlignment(2, 1, cellCode);
    }

    QCOMPARE(grid.ColAlignment(1), colCode);
    QCOMPARE(grid.CellAlignment(2, 1), expectedCode);
    QCOMPARE(grid.CellAlignment(0, 1), expectedCode);
    QCOMPARE(grid.data(grid.index(1, 1), Qt::TextAlignmentRole).toInt(), expectedQt);
    QCOMPARE(grid.headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), expectedQt);
    // The cell next to it follows the column alone.
    QCOMPARE(grid.CellAlignment(3, 1), colCode);
    QCOMPARE(grid.CellAlignment(2, 0), int(controls::AlignLeftCenter));
}

void tst_GridModel::colours()
{
    GridModel grid;
    Fill(grid, 4, 3);
    const QModelIndex cell = grid.index(1, 2);  // grid cell (2, 2)

    QCOMPARE(grid.CellBackColor(2, 2), controls::GridWhite);
    QCOMPARE(grid.CellForeColor(2, 2), controls::GridBlack);
    QVERIFY(!grid.data(cell, GridModel::BackColorRole).isValid());
    QVERIFY(!grid.data(cell, GridModel::ForeColorRole).isValid());

    QSignalSpy changed(&grid, &QAbstractItemModel::dataChanged);
    grid.setCellBackColor(2, 2, controls::GridRgb(150, 0, 150));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed[0][0].toModelIndex(), cell);

    QCOMPARE(grid.CellBackColor(2, 2), controls::GridRgb(150, 0, 150));
    QCOMPARE(grid.data(cell, GridModel::BackColorRole).toUInt(), 0x960096u);
    QCOMPARE(grid.CellForeColor(2, 2), controls::GridBlack);
    QVERIFY(!grid.data(cell, GridModel::ForeColorRole).isValid());

    grid.setCellForeColor(2, 2, controls::GridWhite);
    QCOMPARE(grid.data(cell, GridModel::ForeColorRole).toUInt(), 0xFFFFFFu);
    // Setting the default colour explicitly still counts as the cell's own.
    grid.setCellBackColor(3, 0, controls::GridWhite);
    QCOMPARE(grid.data(grid.index(2, 0), GridModel::BackColorRole).toUInt(), 0xFFFFFFu);
    // Neighbours keep the defaults.
    QCOMPARE(grid.CellBackColor(2, 1), controls::GridWhite);
    QCOMPARE(grid.CellBackColor(1, 2), controls::GridWhite);
}

void tst_GridModel::columnWidths()
{
    GridModel grid;
    grid.setCols(3);
    QSignalSpy formatted(&grid, &GridModel::columnsFormatted);

    QCOMPARE(grid.ColWidth(2), 960);
    grid.setColWidth(2, 4000);
    QCOMPARE(grid.ColWidth(2), 4000);
    QCOMPARE(formatted.count(), 1);
    grid.setColWidth(2, -1);
    QCOMPARE(grid.ColWidth(2), 960);
    grid.setCols(5);
    QCOMPARE(grid.ColWidth(4), 960);
    grid.setColWidth(0, 0);
    QCOMPARE(grid.ColWidth(0), 0);
    // Columns that do not exist have no width and the default alignment.
    grid.setColAlignment(4, controls::AlignRightCenter);
    QCOMPARE(grid.ColWidth(-1), 0);
    QCOMPARE(grid.ColWidth(5), 0);
    QCOMPARE(grid.ColAlignment(5), int(controls::AlignLeftCenter));
    QCOMPARE(grid.ColAlignment(4), int(controls::AlignRightCenter));
}

void tst_GridModel::rewritesKeepEveryText()
{
    // Texts of changing lengths written over one another, rows dropped and
    // grown again: every cell must read back the last text written to it.
    GridModel grid;
    const int rows = 400;
    const int cols = 6;
    grid.setCols(cols);
    grid.setRows(rows);
    QList<QString> expected(rows * cols);
    for (int round = 0; round < 12; ++round) {
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                const int length = (r * 7 + c * 3 + round * 5) % 40;
                QString text = QString(length, QChar(u'あ' + (r + round) % 50));
                if (length > 0)
                    text[0] = QLatin1Char('a' + char(c));
                grid.setTextMatrix(r, c, text);
                expected[r * cols + c] = text;
            }
        }
        if (round % 4 == 3) {
            grid.setRows(rows / 3);
            grid.setRows(rows);
            for (int i = (rows / 3) * cols; i < rows * cols; ++i)
                expected[i].clear();
        }
    }
    grid.setCols(cols - 2);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols - 2; ++c)
            QCOMPARE(grid.TextMatrix(r, c), expected[r * cols + c]);
    }
}

void tst_GridModel::viewMapping()
{
    GridModel grid;
    Fill(grid, 4, 3);

    QCOMPARE(grid.rowCount(), 3);
    QCOMPARE(grid.columnCount(), 3);
    QCOMPARE(grid.data(grid.index(0, 0)).toString(), CellText(1, 0));
    QCOMPARE(grid.data(grid.index(2, 2)).toString(), CellText(3, 2));
    QCOMPARE(grid.headerData(1, Qt::Horizontal).toString(), CellText(0, 1));
    QVERIFY(!grid.headerData(1, Qt::Vertical).isValid());
    QVERIFY(!grid.headerData(3, Qt::Horizontal).isValid());
    QVERIFY(!grid.headerData(-1, Qt::Horizontal).isValid());
    QCOMPARE(grid.rowCount(grid.index(0, 0)), 0);

    QSignalSpy changed(&grid, &QAbstractItemModel::dataChanged);
    QSignalSpy headings(&grid, &QAbstractItemModel::headerDataChanged);
    grid.setTextMatrix(3, 1, QStringLiteral("x"));
    grid.setTextMatrix(0, 2, QStringLiteral("h"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed[0][0].toModelIndex(), grid.index(2, 1));
    QCOMPARE(headings.count(), 1);
    QCOMPARE(headings[0][0].value<Qt::Orientation>(), Qt::Horizontal);
    QCOMPARE(headings[0][1].toInt(), 2);
    QCOMPARE(headings[0][2].toInt(), 2);
}

void tst_GridModel::notificationsStayConsistent()
{
    GridModel grid;
    QAbstractItemModelTester tester(&grid, QAbstractItemModelTester::FailureReportingMode::QtTest);
    grid.setCols(4);
    for (int n = 1; n <= 30; ++n) {
        grid.setRows(n + 1);
        for (int c = 0; c < 4; ++c)
            grid.setTextMatrix(n, c, CellText(n, c));
    }
    grid.setCols(2);
    grid.setRows(10);
    grid.setCols(6);
    grid.setCellBackColor(3, 5, controls::GridCyan);
    grid.setColAlignment(5, controls::AlignCenterCenter);
    grid.Clear();
    grid.setRows(1);
    grid.setRows(4);
    QCOMPARE(grid.rowCount(), 3);
}

QTEST_GUILESS_MAIN(tst_GridModel)
#include "tst_GridModel.moc"
