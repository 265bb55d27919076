// label: core
#include "controls/GridModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

using namespace controls;

namespace {

QString CellText(int row, int col)
{
    return QStringLiteral("r%1c%2").arg(row).arg(col);
}

void Fill(GridModel& grid, int rows, int cols)
{
    grid.setCols(cols);
    grid.setRows(rows);
    for (int i = 0; i < rows * cols; ++i)
        grid.setTextMatrix(i / cols, i % cols, CellText(i / cols, i % cols));
}

}  // namespace

class tst_GridModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void resize_data()
    {
        QTest::addColumn<QList<int>>("sizes");  // rows, columns, then new rows, new columns
        QTest::newRow("more of both") << QList<int>{2, 2, 6, 5};
        QTest::newRow("fewer rows") << QList<int>{8, 3, 3, 3};
        QTest::newRow("fewer columns") << QList<int>{4, 6, 4, 2};
        QTest::newRow("fewer rows, more columns") << QList<int>{8, 2, 5, 4};
        QTest::newRow("one row: the heading only") << QList<int>{6, 3, 1, 3};
    }

    // Growing keeps every cell; shrinking drops texts and cell formats for
    // good: grown back, the dropped cells are empty and plain.
    void resize()
    {
        QFETCH(QList<int>, sizes);
        const int rows = sizes[0], cols = sizes[1], newRows = sizes[2], newCols = sizes[3];
        GridModel grid;
        QAbstractItemModelTester tester(&grid, QAbstractItemModelTester::FailureReportingMode::QtTest);
        Fill(grid, rows, cols);
        grid.setCellBackColor(rows - 1, cols - 1, GridCyan);
        grid.setCellAlignment(rows - 1, cols - 1, AlignRightCenter);
        grid.setRows(newRows);
        grid.setCols(newCols);
        QCOMPARE(QList<int>({grid.Rows(), grid.Cols(), grid.rowCount()}), QList<int>({newRows, newCols, newRows - 1}));
        grid.setRows(std::max(rows, newRows));
        grid.setCols(std::max(cols, newCols));
        for (int r = 0; r < grid.Rows(); ++r)
            for (int c = 0; c < grid.Cols(); ++c)
                QCOMPARE(grid.TextMatrix(r, c),
                         r < std::min(rows, newRows) && c < std::min(cols, newCols) ? CellText(r, c) : QString());
        const bool kept = rows <= newRows && cols <= newCols;
        QCOMPARE(grid.CellBackColor(rows - 1, cols - 1), kept ? GridCyan : GridWhite);
        QCOMPARE(grid.CellAlignment(rows - 1, cols - 1), int(kept ? AlignRightCenter : AlignLeftCenter));
    }

    // Clear empties every text, headings included, and drops the cells' own
    // formats; widths and column alignments stay. A width below 0 is the default.
    void clearAndWidths()
    {
        GridModel grid;
        QAbstractItemModelTester tester(&grid, QAbstractItemModelTester::FailureReportingMode::QtTest);
        Fill(grid, 4, 3);
        grid.setColWidth(1, 2000);
        grid.setColWidth(2, 4000);
        grid.setColWidth(2, -1);
        grid.setColWidth(0, 0);
        grid.setColAlignment(2, AlignRightCenter);
        grid.setCellAlignment(2, 2, AlignCenterCenter);
        grid.setCellForeColor(2, 2, GridWhite);
        QSignalSpy headings(&grid, &QAbstractItemModel::headerDataChanged);
        grid.Clear();
        grid.setCols(4);
        QCOMPARE(QList<int>({grid.Rows(), grid.ColWidth(0), grid.ColWidth(1), grid.ColWidth(2), grid.ColWidth(3)}),
                 QList<int>({4, 0, 2000, 960, 960}));
        for (int i = 0; i < 12; ++i)
            QCOMPARE(grid.TextMatrix(i / 3, i % 3), QString());
        QVERIFY(!headings.isEmpty());
        QCOMPARE(grid.CellAlignment(2, 2), int(AlignRightCenter));
        QVERIFY(!grid.data(grid.index(1, 2), GridModel::ForeColorRole).isValid());
    }

    // Past its budget the grid refuses with error 30006 and stays as it was.
    void budget()
    {
        // 5 rows x 5 columns with room for 30 cells: 6 rows or columns fit.
        for (const QPoint& size : {QPoint(6, 5), QPoint(7, 5), QPoint(5, 6), QPoint(5, 7), QPoint(100000000, 5)}) {
            GridModel grid;
            Fill(grid, 5, 5);
            grid.setCellBudget(30);
            int number = 0;
            try {
                grid.setRows(size.x());
                grid.setCols(size.y());
            } catch (const GridError& error) {
                number = error.number();
            }
            const bool refused = size.x() > 6 || size.y() > 6;
            QCOMPARE(number, refused ? 30006 : 0);
            QCOMPARE(QList<int>({grid.Rows(), grid.Cols()}), refused ? QList<int>({5, 5}) : QList<int>({size.x(), size.y()}));
            QCOMPARE(grid.TextMatrix(4, 4), CellText(4, 4));
        }
    }

    void selection_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QList<int>>("expected");  // Row, Col, RowSel, ColSel, selectionMoved signals
        // The grid is 10 rows x 5 columns before the script runs.
        QTest::newRow("starts on the heading") << QString() << QList<int>{0, 0, 0, 0, 0};
        QTest::newRow("row collapses") << "rowsel 6; row 3" << QList<int>{3, 0, 3, 0, 2};
        QTest::newRow("no signal without a change") << "row 3; row 3; col 0" << QList<int>{3, 0, 3, 0, 1};
        QTest::newRow("colsel extends") << "row 2; col 1; colsel 3" << QList<int>{2, 1, 2, 3, 3};
        QTest::newRow("row keeps the column range") << "col 1; colsel 3; row 4" << QList<int>{4, 1, 4, 3, 3};
        QTest::newRow("past the ends is clamped") << "row 25; col 9; rowsel -3; colsel -1" << QList<int>{9, 4, 0, 0, 4};
        QTest::newRow("fewer rows pull the selection in") << "row 8; rowsel 9; rows 6" << QList<int>{5, 0, 5, 0, 3};
        QTest::newRow("fewer columns pull the cell in") << "col 4; colsel 1; cols 3" << QList<int>{0, 2, 0, 1, 3};
        QTest::newRow("more rows move nothing") << "row 3; rowsel 5; rows 20" << QList<int>{3, 0, 5, 0, 2};
    }

    void selection()
    {
        QFETCH(QString, script);
        GridModel grid;
        Fill(grid, 10, 5);
        QSignalSpy moved(&grid, &GridModel::selectionMoved);
        const QHash<QString, void (GridModel::*)(int)> steps{
            {QStringLiteral("row"), &GridModel::setRow},       {QStringLiteral("col"), &GridModel::setCol},
            {QStringLiteral("rowsel"), &GridModel::setRowSel}, {QStringLiteral("colsel"), &GridModel::setColSel},
            {QStringLiteral("rows"), &GridModel::setRows},     {QStringLiteral("cols"), &GridModel::setCols}};
        for (const QString& step : script.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QStringList words = step.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            (grid.*steps.value(words[0]))(words[1].toInt());
        }
        QTEST(QList<int>({grid.Row(), grid.Col(), grid.RowSel(), grid.ColSel(), int(moved.count())}), "expected");
    }

    // Reads outside the grid give the defaults; writes there reach no cell.
    void outsideTheGrid()
    {
        GridModel grid;
        Fill(grid, 3, 2);
        for (const QPoint& at : {QPoint(-1, 0), QPoint(0, -1), QPoint(3, 0), QPoint(1, 2), QPoint(70000, 400)}) {
            grid.setTextMatrix(at.x(), at.y(), QStringLiteral("x"));
            grid.setCellBackColor(at.x(), at.y(), GridCyan);
            grid.setCellAlignment(at.x(), at.y(), AlignRightCenter);
            QVERIFY(grid.TextMatrix(at.x(), at.y()).isEmpty() && grid.CellBackColor(at.x(), at.y()) == GridWhite
                    && grid.CellAlignment(at.x(), at.y()) == AlignLeftCenter);
        }
        for (int col : {-1, 2, 400}) {
            grid.setColWidth(col, 100);
            grid.setColAlignment(col, AlignRightCenter);
            QVERIFY(grid.ColWidth(col) == 0 && grid.ColAlignment(col) == AlignLeftCenter);
        }
        for (int i = 0; i < 6; ++i)
            QVERIFY(grid.TextMatrix(i / 2, i % 2) == CellText(i / 2, i % 2) && grid.CellBackColor(i / 2, i % 2) == GridWhite
                    && grid.ColWidth(i % 2) == 960 && grid.CellAlignment(i / 2, i % 2) == AlignLeftCenter);
    }

    // Texts of changing lengths written over one another, rows dropped and
    // grown again: every cell reads back the last text written to it.
    void rewritesKeepEveryText()
    {
        GridModel grid;
        Fill(grid, 400, 6);
        QList<QString> expected(2400);
        for (int round = 0; round < 12; ++round) {
            for (int i = 0; i < 2400; ++i) {
                expected[i] = QString((i * 7 + round * 5) % 40, QChar(u'あ' + (i + round) % 50));
                grid.setTextMatrix(i / 6, i % 6, expected[i]);
            }
            if (round % 4 == 3) {
                grid.setRows(100);
                grid.setRows(400);
                std::fill(expected.begin() + 600, expected.end(), QString());
            }
        }
        for (int i = 0; i < 2400; ++i)
            QCOMPARE(grid.TextMatrix(i / 6, i % 6), expected[i]);
    }

    // Qt row r is grid row r + 1; grid row 0 is the horizontal header. The view
    // reads colours as 0xRRGGBB, only cells' own, and a cell's own alignment
    // over its column's (codes 1, 4, 7: left, centre, right).
    void viewMapping()
    {
        GridModel grid;
        Fill(grid, 4, 3);
        QCOMPARE(grid.data(grid.index(2, 2)).toString(), CellText(3, 2));
        QCOMPARE(grid.headerData(1, Qt::Horizontal).toString(), CellText(0, 1));
        QSignalSpy changed(&grid, &QAbstractItemModel::dataChanged);
        QSignalSpy headings(&grid, &QAbstractItemModel::headerDataChanged);
        grid.setTextMatrix(3, 1, QStringLiteral("x"));
        grid.setTextMatrix(0, 2, QStringLiteral("h"));
        grid.setCellBackColor(2, 2, GridRgb(150, 0, 150));
        grid.setCellForeColor(3, 0, GridWhite);  // the default colour, still the cell's own
        QCOMPARE(QList<int>({int(changed.count()), int(headings.count())}), QList<int>({3, 1}));
        QCOMPARE(changed[0][0].toModelIndex(), grid.index(2, 1));
        QCOMPARE(grid.data(grid.index(1, 2), GridModel::BackColorRole).toUInt(), 0x960096u);
        QCOMPARE(grid.data(grid.index(2, 0), GridModel::ForeColorRole).toUInt(), 0xFFFFFFu);
        QVERIFY(!grid.data(grid.index(1, 2), GridModel::ForeColorRole).isValid());
        QVERIFY(!grid.data(grid.index(2, 0), GridModel::BackColorRole).isValid());

        grid.setColAlignment(1, AlignRightCenter);
        grid.setColAlignment(2, AlignCenterCenter);
        grid.setCellAlignment(2, 1, AlignCenterCenter);
        grid.setCellAlignment(0, 2, AlignLeftCenter);
        QCOMPARE(QList<int>({grid.CellAlignment(2, 0), grid.CellAlignment(2, 1), grid.CellAlignment(3, 1), grid.CellAlignment(1, 2)}),
                 QList<int>({1, 4, 7, 4}));
        QCOMPARE(grid.data(grid.index(1, 1), Qt::TextAlignmentRole).toInt(), int(Qt::AlignHCenter | Qt::AlignVCenter));
        QCOMPARE(grid.data(grid.index(2, 1), Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
        QCOMPARE(grid.headerData(2, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), int(Qt::AlignLeft | Qt::AlignVCenter));
    }
};

QTEST_GUILESS_MAIN(tst_GridModel)
#include "tst_GridModel.moc"
