// label: gui
// The grid view and the tab strip, driven with the mouse and the keyboard.
#include "controls/FlexGrid.h"
#include "controls/TabStrip.h"
#include "support/BrowserSupport.h"

#include <QHeaderView>
#include <QImage>
#include <QSignalSpy>
#include <QTabBar>

#include <memory>

using controls::FlexGrid;
using controls::GridModel;
using controls::TabStrip;

namespace {

const Qt::KeyboardModifiers None;
const Qt::KeyboardModifiers Shift(Qt::ShiftModifier);
const Qt::KeyboardModifiers Ctrl(Qt::ControlModifier);
constexpr int Next = -100;  // selectNext instead of an index

QList<int> Selection(const GridModel& grid)
{
    return {grid.Row(), grid.Col(), grid.RowSel(), grid.ColSel()};
}

void AddTabs(TabStrip& strip, int count)
{
    for (int i = 1; i <= count; ++i)
        strip.addTab(QStringLiteral("Tab %1").arg(i), QStringLiteral("Group%1").arg(i), QStringLiteral("tip %1").arg(i));
}

}  // namespace

class tst_ControlWidgets : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // An 8 x 4 grid, current cell on the heading.
    void init()
    {
        m_view = std::make_unique<FlexGrid>();
        m_grid = m_view->gridModel();
        m_grid->setCols(4);
        m_grid->setRows(8);
        for (int i = 0; i < 32; ++i)
            m_grid->setTextMatrix(i / 4, i % 4, QStringLiteral("R%1C%2").arg(i / 4).arg(i % 4));
        m_view->resize(500, 300);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }

    void cleanup() { m_view.reset(); }

    void press_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QPoint>("cell");  // row, column
        QTest::addColumn<QList<int>>("codes");  // button, shift
        QTest::addColumn<QList<int>>("selection");  // Row, Col, RowSel, ColSel after it
        // The current cell is (2, 1) before the press.
        const QList<int> unmoved{2, 1, 2, 1};
        QTest::newRow("left") << Qt::LeftButton << None << QPoint(7, 3) << QList<int>{1, 0} << QList<int>{7, 3, 7, 3};
        QTest::newRow("left with shift extends") << Qt::LeftButton << Shift << QPoint(6, 3) << QList<int>{1, 1} << QList<int>{2, 1, 6, 3};
        QTest::newRow("left with ctrl moves") << Qt::LeftButton << Ctrl << QPoint(5, 0) << QList<int>{1, 2} << QList<int>{5, 0, 5, 0};
        QTest::newRow("middle with ctrl and shift") << Qt::MiddleButton << (Shift | Ctrl) << QPoint(5, 3) << QList<int>{4, 3} << unmoved;
        QTest::newRow("right with alt") << Qt::RightButton << Qt::KeyboardModifiers(Qt::AltModifier) << QPoint(5, 3) << QList<int>{2, 4} << unmoved;
        QTest::newRow("left on the heading") << Qt::LeftButton << None << QPoint(0, 2) << QList<int>{1, 0} << QList<int>{0, 2, 0, 2};
    }

    // A press sets the mouse cell and, for the left button, the current cell
    // before MouseDown goes out; Click follows the release of the left button.
    void press()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QPoint, cell);
        QFETCH(QList<int>, codes);
        QFETCH(QList<int>, selection);
        m_grid->setRow(2);
        m_grid->setCol(1);
        QList<int> atDown;
        connect(m_view.get(), &FlexGrid::MouseDown, this, [&](int b, int shift, int x, int y) {
            atDown = QList<int>{b, shift, x, y, m_grid->MouseRow(), m_grid->MouseCol()} + Selection(*m_grid);
        });
        QSignalSpy clicks(m_view.get(), &FlexGrid::Click);
        const QPoint pos = centre(cell.x(), cell.y());
        const QPoint inGrid = area(cell.x())->mapTo(m_view.get(), pos);
        QTest::mousePress(area(cell.x()), button, modifiers, pos);
        QCOMPARE(atDown, codes + QList<int>({inGrid.x(), inGrid.y(), cell.x(), cell.y()}) + selection);
        QTest::mouseRelease(area(cell.x()), button, modifiers, pos);
        QCOMPARE(clicks.count(), button == Qt::LeftButton ? 1 : 0);
        QCOMPARE(Selection(*m_grid), selection);
        // The heading is no data row: the view has no current cell then.
        QCOMPARE(m_view->currentIndex(), selection[0] ? m_grid->index(selection[0] - 1, selection[1]) : QModelIndex());
    }

    void pressBelowLastRowDoesNothing()
    {
        const QPoint below = centre(7, 1) + QPoint(0, m_view->rowHeight(0) * 3 / 2);
        QVERIFY(m_view->viewport()->rect().contains(below));
        QSignalSpy down(m_view.get(), &FlexGrid::MouseDown);
        QSignalSpy clicks(m_view.get(), &FlexGrid::Click);
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, below);
        QTest::mouseClick(m_view->viewport(), Qt::RightButton, {}, below);
        QCOMPARE(down.count() + clicks.count() + m_grid->Row(), 0);
    }

    // A double-click makes its cell current and brings no second Click.
    void doubleClick()
    {
        QList<int> seen;
        connect(m_view.get(), &FlexGrid::DblClick, this, [&] { seen << m_grid->Row() << m_grid->Col() << m_grid->MouseRow(); });
        QSignalSpy clicks(m_view.get(), &FlexGrid::Click);
        kovatest::DoubleClick(m_view->viewport(), centre(6, 2));
        QTest::mouseDClick(area(0), Qt::LeftButton, {}, centre(0, 1));
        QCOMPARE(seen, (QList<int>{6, 2, 6, 0, 1, 0}));
        QCOMPARE(clicks.count(), 1);
    }

    // Dragging with the left button extends the selection, either way.
    void drag()
    {
        QWidget* cells = m_view->viewport();
        QTest::mousePress(cells, Qt::LeftButton, {}, centre(2, 1));
        QTest::mouseMove(cells, centre(4, 2));
        QTest::mouseMove(cells, centre(5, 3));
        QCOMPARE(Selection(*m_grid), (QList<int>{2, 1, 5, 3}));
        QCOMPARE(m_view->selectionModel()->selectedIndexes().size(), 4 * 3);
        QTest::mouseMove(cells, centre(1, 1));
        QTest::mouseRelease(cells, Qt::LeftButton, {}, centre(1, 1));
        QTest::mouseMove(cells, centre(6, 3));  // no button held: no selection
        QCOMPARE(Selection(*m_grid), (QList<int>{2, 1, 1, 1}));
    }

    void keysMoveCurrentCell_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QList<int>>("selection");  // Row, Col, RowSel, ColSel
        // The current cell is (3, 1) before the key.
        QTest::newRow("left") << int(Qt::Key_Left) << None << QList<int>{3, 0, 3, 0};
        QTest::newRow("ctrl home") << int(Qt::Key_Home) << Ctrl << QList<int>{1, 0, 1, 0};
        QTest::newRow("ctrl end") << int(Qt::Key_End) << Ctrl << QList<int>{7, 3, 7, 3};
        QTest::newRow("page down stops at the last row") << int(Qt::Key_PageDown) << None << QList<int>{7, 1, 7, 1};
        QTest::newRow("shift down extends") << int(Qt::Key_Down) << Shift << QList<int>{3, 1, 4, 1};
    }

    void keysMoveCurrentCell()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QList<int>, selection);
        m_grid->setRow(3);
        m_grid->setCol(1);
        QTest::keyClick(m_view.get(), Qt::Key(key), modifiers);
        QCOMPARE(Selection(*m_grid), selection);
        QCOMPARE(m_view->currentIndex(), m_grid->index(selection[0] - 1, selection[1]));
    }

    // Widths are twips: at least the plain conversion, and a font wider than
    // the one the widths were chosen for widens every column alike, so that
    // 90 twips a digit and 100 for the margins hold an eight-digit number.
    void widthsInTwips()
    {
        m_grid->setColWidth(3, 1440);
        const int inch = m_view->columnWidth(3);
        QVERIFY(inch >= m_view->logicalDpiX() - 1);
        m_grid->setCols(6);  // new columns start at the default width
        QVERIFY(qAbs(m_view->columnWidth(5) - qRound(inch * 960 / 1440.0)) <= 1);
        for (int twips : {720, 4320, 0}) {
            m_grid->setColWidth(2, twips);
            QVERIFY(qAbs(m_view->columnWidth(2) - qRound(inch * twips / 1440.0)) <= 1);
        }
        m_grid->setColWidth(1, 8 * 90 + 100);
        const int text = m_view->fontMetrics().horizontalAdvance(QStringLiteral("10000001"));
        QVERIFY2(text <= m_view->columnWidth(1) - 4, qPrintable(QString::number(m_view->columnWidth(1))));
    }

    // A selected cell shows the highlight, unless it has a background of its own.
    void colours()
    {
        m_grid->setTextMatrix(3, 1, QString());
        m_grid->setTextMatrix(5, 1, QString());
        m_grid->setCellBackColor(5, 1, controls::GridRgb(150, 0, 150));
        m_grid->setCellForeColor(5, 1, controls::GridWhite);
        m_grid->setRow(1);
        auto seen = [this](int row) { return m_view->viewport()->grab().toImage().pixelColor(centre(row, 1)).rgb(); };
        QCOMPARE(QList<QRgb>({seen(3), seen(5)}), QList<QRgb>({qRgb(255, 255, 255), qRgb(150, 0, 150)}));
        m_grid->setRow(3);
        m_grid->setCol(1);
        m_grid->setRowSel(5);
        const QRgb highlight = m_view->palette().color(QPalette::Active, QPalette::Highlight).rgb();
        QCOMPARE(QList<QRgb>({seen(3), seen(5)}), QList<QRgb>({highlight, qRgb(150, 0, 150)}));
    }

    // Selecting from the program clicks, and the click sees the new selection;
    // selecting a tab that does not exist changes nothing.
    void selectTab()
    {
        // Tabs, the selected tab, the index to select, then the selection after
        // it (0: unchanged and no click).
        for (const QList<int>& c : QList<QList<int>>{{1, 1, Next, 1}, {3, 3, Next, 1}, {3, 1, 2, 2}, {3, 1, 1, 1}, {3, 1, 0, 0},
                                                    {3, 1, 4, 0}}) {
            TabStrip strip;
            AddTabs(strip, c[0]);
            strip.setSelectedIndex(c[1]);
            QList<int> seen;
            connect(&strip, &TabStrip::Click, this, [&] { seen.append(strip.selectedIndex()); });
            c[2] == Next ? strip.selectNext() : strip.setSelectedIndex(c[2]);
            QCOMPARE(strip.selectedIndex(), c[3] ? c[3] : c[1]);
            QCOMPARE(seen, c[3] ? QList<int>{c[3]} : QList<int>());
        }
    }

    // Tabs count from 1 (0 is no tab) and adding the first selects it without
    // a click; clicking the tab that is already selected is still a click.
    void clickOnTheSelectedTab()
    {
        TabStrip strip;
        QList<int> seen;
        connect(&strip, &TabStrip::Click, this, [&] { seen.append(strip.selectedIndex()); });
        QCOMPARE(strip.selectedIndex(), 0);
        QCOMPARE(QList<int>({strip.addTab(QStringLiteral("A"), QStringLiteral("a")), strip.addTab(QStringLiteral("B"), QStringLiteral("b")),
                             strip.addTab(QStringLiteral("C"), QStringLiteral("c")), strip.selectedIndex()}), QList<int>({1, 2, 3, 1}));
        strip.resize(400, 60);
        strip.show();
        QVERIFY(QTest::qWaitForWindowExposed(&strip));
        QTest::mouseClick(strip.tabBar(), Qt::LeftButton, {}, strip.tabBar()->tabRect(2).center());
        QTest::mouseClick(strip.tabBar(), Qt::LeftButton, {}, strip.tabBar()->tabRect(2).center());
        QCOMPARE(seen, (QList<int>{3, 3}));
    }

private:
    // The widget that takes the mouse over grid row `row`, the heading's for row 0.
    QWidget* area(int row) const { return row ? m_view->viewport() : m_view->horizontalHeader()->viewport(); }

    QPoint centre(int row, int col) const
    {
        const QHeaderView* heading = m_view->horizontalHeader();
        return row ? m_view->visualRect(m_grid->index(row - 1, col)).center()
                   : QPoint(heading->sectionViewportPosition(col) + heading->sectionSize(col) / 2, heading->height() / 2);
    }

    std::unique_ptr<FlexGrid> m_view;
    GridModel* m_grid = nullptr;
};

QTEST_MAIN(tst_ControlWidgets)
#include "tst_ControlWidgets.moc"
