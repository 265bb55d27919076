// label: gui
#include "controls/FlexGrid.h"

#include <QHeaderView>
#include <QImage>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using controls::FlexGrid;
using controls::GridModel;

namespace {

// The grid and model state seen at the moment a signal went out.
struct Seen {
    int row = -1;
    int col = -1;
    int rowSel = -1;
    int colSel = -1;
    int mouseRow = -1;
    int mouseCol = -1;
};

Seen Snapshot(const GridModel& grid)
{
    return {grid.Row(), grid.Col(), grid.RowSel(), grid.ColSel(), grid.MouseRow(), grid.MouseCol()};
}

}  // namespace

class tst_FlexGrid : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void leftClickMakesCellCurrent_data();
    void leftClickMakesCellCurrent();
    void pressReportsButtonAndShift_data();
    void pressReportsButtonAndShift();
    void pressOnHeading_data();
    void pressOnHeading();
    void pressBelowLastRowDoesNothing();
    void doubleClick();
    void dragExtendsSelection();
    void shiftClickExtendsSelection();
    void viewFollowsModelSelection();
    void keysMoveCurrentCell_data();
    void keysMoveCurrentCell();
    void widthsInTwips_data();
    void widthsInTwips();
    void widthHoldsItsDigits();
    void headingShowsRowZero();
    void colours_data();
    void colours();

private:
    QPoint cellCentre(int row, int col) const;
    QPoint headingCentre(int col) const;

    std::unique_ptr<FlexGrid> m_view;
    GridModel* m_grid = nullptr;
};

void tst_FlexGrid::init()
{
    m_view = std::make_unique<FlexGrid>();
    m_grid = m_view->gridModel();
    m_grid->setCols(4);
    m_grid->setRows(8);
    for (int c = 0; c < 4; ++c)
        m_grid->setTextMatrix(0, c, QStringLiteral("H%1").arg(c));
    for (int r = 1; r < 8; ++r) {
        for (int c = 0; c < 4; ++c)
            m_grid->setTextMatrix(r, c, QStringLiteral("R%1C%2").arg(r).arg(c));
    }
    m_view->resize(500, 300);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void tst_FlexGrid::cleanup()
{
    m_view.reset();
    m_grid = nullptr;
}

QPoint tst_FlexGrid::cellCentre(int row, int col) const
{
    return m_view->visualRect(m_grid->index(row - 1, col)).center();
}

QPoint tst_FlexGrid::headingCentre(int col) const
{
    const QHeaderView* heading = m_view->horizontalHeader();
    return {heading->sectionViewportPosition(col) + heading->sectionSize(col) / 2,
            heading->height() / 2};
}

void tst_FlexGrid::leftClickMakesCellCurrent_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");

    QTest::newRow("first data cell") << 1 << 0;
    QTest::newRow("middle") << 4 << 2;
    QTest::newRow("last row, last column") << 7 << 3;
}

void tst_FlexGrid::leftClickMakesCellCurrent()
{
    QFETCH(int, row);
    QFETCH(int, col);

    m_grid->setRow(2);
    m_grid->setRowSel(5);
    Seen atClick;
    Seen atDown;
    int clicks = 0;
    connect(m_view.get(), &FlexGrid::Click, this, [&] {
        ++clicks;
        atClick = Snapshot(*m_grid);
    });
    connect(m_view.get(), &FlexGrid::MouseDown, this, [&] { atDown = Snapshot(*m_grid); });

    QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, cellCentre(row, col));

    QCOMPARE(clicks, 1);
    QCOMPARE(atClick.row, row);
    QCOMPARE(atClick.col, col);
    QCOMPARE(atClick.rowSel, row);
    QCOMPARE(atClick.colSel, col);
    QCOMPARE(atDown.mouseRow, row);
    QCOMPARE(atDown.mouseCol, col);
    QCOMPARE(m_view->currentIndex(), m_grid->index(row - 1, col));
}

void tst_FlexGrid::pressReportsButtonAndShift_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("buttonCode");
    QTest::addColumn<int>("shiftCode");
    QTest::addColumn<bool>("moves");

    QTest::newRow("right") << Qt::RightButton << Qt::KeyboardModifiers() << 2 << 0 << false;
    QTest::newRow("middle") << Qt::MiddleButton << Qt::KeyboardModifiers() << 4 << 0 << false;
    QTest::newRow("left") << Qt::LeftButton << Qt::KeyboardModifiers() << 1 << 0 << true;
    QTest::newRow("right with shift")
        << Qt::RightButton << Qt::KeyboardModifiers(Qt::ShiftModifier) << 2 << 1 << false;
    QTest::newRow("right with ctrl")
        << Qt::RightButton << Qt::KeyboardModifiers(Qt::ControlModifier) << 2 << 2 << false;
    QTest::newRow("right with alt")
        << Qt::RightButton << Qt::KeyboardModifiers(Qt::AltModifier) << 2 << 4 << false;
    QTest::newRow("right with ctrl and shift")
        << Qt::RightButton << (Qt::ControlModifier | Qt::ShiftModifier) << 2 << 3 << false;
}

void tst_FlexGrid::pressReportsButtonAndShift()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, buttonCode);
    QFETCH(int, shiftCode);
    QFETCH(bool, moves);

    m_grid->setRow(2);
    m_grid->setCol(1);
    Seen atDown;
    connect(m_view.get(), &FlexGrid::MouseDown, this, [&] { atDown = Snapshot(*m_grid); });
    QSignalSpy down(m_view.get(), &FlexGrid::MouseDown);
    QSignalSpy clicks(m_view.get(), &FlexGrid::Click);

    const QPoint pos = cellCentre(5, 3);
    QTest::mousePress(m_view->viewport(), button, modifiers, pos);

    QCOMPARE(down.count(), 1);
    QCOMPARE(down[0][0].toInt(), buttonCode);
    QCOMPARE(down[0][1].toInt(), shiftCode);
    const QPoint inGrid = m_view->viewport()->mapTo(m_view.get(), pos);
    QCOMPARE(down[0][2].toInt(), inGrid.x());
    QCOMPARE(down[0][3].toInt(), inGrid.y());
    QCOMPARE(atDown.mouseRow, 5);
    QCOMPARE(atDown.mouseCol, 3);
    QCOMPARE(m_grid->Row(), moves ? 5 : 2);
    QCOMPARE(m_grid->Col(), moves ? 3 : 1);

    QTest::mouseRelease(m_view->viewport(), button, modifiers, pos);
    QCOMPARE(clicks.count(), button == Qt::LeftButton ? 1 : 0);
}

void tst_FlexGrid::pressOnHeading_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("expectedRow");

    QTest::newRow("right on column 3") << Qt::RightButton << 3 << 4;
    QTest::newRow("right on column 0") << Qt::RightButton << 0 << 4;
    QTest::newRow("left on column 2") << Qt::LeftButton << 2 << 0;
}

void tst_FlexGrid::pressOnHeading()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(int, col);
    QFETCH(int, expectedRow);

    m_grid->setRow(4);
    QSignalSpy down(m_view.get(), &FlexGrid::MouseDown);
    Seen atDown;
    connect(m_view.get(), &FlexGrid::MouseDown, this, [&] { atDown = Snapshot(*m_grid); });
    QSignalSpy clicks(m_view.get(), &FlexGrid::Click);

    QWidget* heading = m_view->horizontalHeader()->viewport();
    QTest::mouseClick(heading, button, {}, headingCentre(col));

    QCOMPARE(down.count(), 1);
    QCOMPARE(down[0][0].toInt(), button == Qt::LeftButton ? 1 : 2);
    QCOMPARE(atDown.mouseRow, 0);
    QCOMPARE(atDown.mouseCol, col);
    QCOMPARE(m_grid->Row(), expectedRow);
    QCOMPARE(clicks.count(), button == Qt::LeftButton ? 1 : 0);
    if (button == Qt::LeftButton) {
        QCOMPARE(m_grid->Col(), col);
        // The heading is no data row: the view has no current cell then.
        QVERIFY(!m_view->currentIndex().isValid());
    }
}

void tst_FlexGrid::pressBelowLastRowDoesNothing()
{
    m_view->resize(500, 600);
    QCoreApplication::processEvents();
    const QRect last = m_view->visualRect(m_grid->index(m_grid->rowCount() - 1, 1));
    const QPoint below(last.center().x(), last.bottom() + last.height());
    QVERIFY(m_view->viewport()->rect().contains(below));
    m_grid->setRow(3);
    QSignalSpy down(m_view.get(), &FlexGrid::MouseDown);
    QSignalSpy clicks(m_view.get(), &FlexGrid::Click);

    QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, below);
    QTest::mouseClick(m_view->viewport(), Qt::RightButton, {}, below);

    QCOMPARE(down.count(), 0);
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(m_grid->Row(), 3);
}

void tst_FlexGrid::doubleClick()
{
    Seen atDouble;
    connect(m_view.get(), &FlexGrid::DblClick, this, [&] { atDouble = Snapshot(*m_grid); });
    QSignalSpy doubles(m_view.get(), &FlexGrid::DblClick);
    QSignalSpy clicks(m_view.get(), &FlexGrid::Click);

    // What the window system delivers: press, release, double-click, release.
    QWidget* area = m_view->viewport();
    QTest::mouseClick(area, Qt::LeftButton, {}, cellCentre(6, 2));
    QTest::mouseDClick(area, Qt::LeftButton, {}, cellCentre(6, 2));
    QTest::mouseRelease(area, Qt::LeftButton, {}, cellCentre(6, 2));

    QCOMPARE(doubles.count(), 1);
    QCOMPARE(atDouble.row, 6);
    QCOMPARE(atDouble.col, 2);
    QCOMPARE(atDouble.mouseRow, 6);
    QCOMPARE(clicks.count(), 1);  // the first press and release only

    // On the heading row: row 0 becomes current.
    QTest::mouseDClick(m_view->horizontalHeader()->viewport(), Qt::LeftButton, {}, headingCentre(1));
    QCOMPARE(doubles.count(), 2);
    QCOMPARE(atDouble.row, 0);
    QCOMPARE(atDouble.col, 1);
}

void tst_FlexGrid::dragExtendsSelection()
{
    QWidget* area = m_view->viewport();
    QTest::mousePress(area, Qt::LeftButton, {}, cellCentre(2, 1));
    QTest::mouseMove(area, cellCentre(4, 2));
    QTest::mouseMove(area, cellCentre(5, 3));

    QCOMPARE(m_grid->Row(), 2);
    QCOMPARE(m_grid->Col(), 1);
    QCOMPARE(m_grid->RowSel(), 5);
    QCOMPARE(m_grid->ColSel(), 3);
    const QItemSelectionModel* selection = m_view->selectionModel();
    QVERIFY(selection->isSelected(m_grid->index(1, 1)));
    QVERIFY(selection->isSelected(m_grid->index(4, 3)));
    QVERIFY(!selection->isSelected(m_grid->index(5, 3)));
    QVERIFY(!selection->isSelected(m_grid->index(1, 0)));
    QCOMPARE(selection->selectedIndexes().size(), 4 * 3);

    // Back up above the start: the selection runs the other way.
    QTest::mouseMove(area, cellCentre(1, 1));
    QCOMPARE(m_grid->RowSel(), 1);
    QCOMPARE(m_grid->Row(), 2);
    QTest::mouseRelease(area, Qt::LeftButton, {}, cellCentre(1, 1));
    QCOMPARE(m_grid->RowSel(), 1);

    // Moving without a button held selects nothing.
    QTest::mouseMove(area, cellCentre(6, 3));
    QCOMPARE(m_grid->RowSel(), 1);
}

void tst_FlexGrid::shiftClickExtendsSelection()
{
    QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, cellCentre(2, 0));
    QTest::mouseClick(m_view->viewport(), Qt::LeftButton, Qt::ShiftModifier, cellCentre(6, 0));

    QCOMPARE(m_grid->Row(), 2);
    QCOMPARE(m_grid->RowSel(), 6);
}

void tst_FlexGrid::viewFollowsModelSelection()
{
    m_grid->setRow(3);
    m_grid->setCol(2);
    m_grid->setRowSel(5);
    QCOMPARE(m_view->currentIndex(), m_grid->index(2, 2));
    const QItemSelectionModel* selection = m_view->selectionModel();
    QCOMPARE(selection->selectedIndexes().size(), 3);
    QVERIFY(selection->isSelected(m_grid->index(4, 2)));

    m_grid->setRow(6);
    QCOMPARE(m_view->currentIndex(), m_grid->index(5, 2));
    QCOMPARE(selection->selectedIndexes().size(), 1);

    // Fewer rows pull the current cell in, and the view with it.
    m_grid->setRows(4);
    QCOMPARE(m_view->currentIndex(), m_grid->index(2, 2));

    m_grid->setRow(0);
    QVERIFY(!m_view->currentIndex().isValid());
    QVERIFY(selection->selectedIndexes().isEmpty());
}

void tst_FlexGrid::keysMoveCurrentCell_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("rowSel");
    QTest::addColumn<int>("colSel");

    // The current cell is (3, 1) before the key.
    const Qt::KeyboardModifiers none;
    QTest::newRow("down") << int(Qt::Key_Down) << none << 4 << 1 << 4 << 1;
    QTest::newRow("up") << int(Qt::Key_Up) << none << 2 << 1 << 2 << 1;
    QTest::newRow("right") << int(Qt::Key_Right) << none << 3 << 2 << 3 << 2;
    QTest::newRow("left") << int(Qt::Key_Left) << none << 3 << 0 << 3 << 0;
    QTest::newRow("end") << int(Qt::Key_End) << none << 3 << 3 << 3 << 3;
    QTest::newRow("ctrl home") << int(Qt::Key_Home) << Qt::KeyboardModifiers(Qt::ControlModifier)
                               << 1 << 0 << 1 << 0;
    QTest::newRow("ctrl end") << int(Qt::Key_End) << Qt::KeyboardModifiers(Qt::ControlModifier)
                              << 7 << 3 << 7 << 3;
    QTest::newRow("page down stops at the last row")
        << int(Qt::Key_PageDown) << none << 7 << 1 << 7 << 1;
    QTest::newRow("shift down extends")
        << int(Qt::Key_Down) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 3 << 1 << 4 << 1;
    QTest::newRow("shift right extends")
        << int(Qt::Key_Right) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 3 << 1 << 3 << 2;
}

void tst_FlexGrid::keysMoveCurrentCell()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(int, rowSel);
    QFETCH(int, colSel);

    m_grid->setRow(3);
    m_grid->setCol(1);
    QTest::keyClick(m_view.get(), Qt::Key(key), modifiers);

    QCOMPARE(m_grid->Row(), row);
    QCOMPARE(m_grid->Col(), col);
    QCOMPARE(m_grid->RowSel(), rowSel);
    QCOMPARE(m_grid->ColSel(), colSel);
    QCOMPARE(m_view->currentIndex(), m_grid->index(row - 1, col));
}

void tst_FlexGrid::widthsInTwips_data()
{
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("inches100");  // expected width in 1/100 inch

    QTest::newRow("one inch") << 1440 << 100;
    QTest::newRow("half an inch") << 720 << 50;
    QTest::newRow("default") << 960 << 67;
    QTest::newRow("three inches") << 4320 << 300;
    QTest::newRow("hidden") << 0 << 0;
}

void tst_FlexGrid::widthsInTwips()
{
    QFETCH(int, twips);
    QFETCH(int, inches100);

    // At least the plain conversion; a font wider than the one the widths
    // were chosen for widens every column in the same proportion.
    const int dpi = m_view->logicalDpiX();
    const int plain = qRound(inches100 * dpi / 100.0);
    m_grid->setColWidth(2, twips);
    m_grid->setColWidth(3, 1440);
    const int inch = m_view->columnWidth(3);
    QVERIFY(m_view->columnWidth(2) >= plain - 1);
    QVERIFY(qAbs(m_view->columnWidth(2) - qRound(inch * twips / 1440.0)) <= 1);

    // Columns added later start at the default width.
    m_grid->setCols(6);
    QVERIFY(qAbs(m_view->columnWidth(5) - qRound(inch * 960 / 1440.0)) <= 1);
    QCOMPARE(m_grid->ColWidth(2), twips);
}

void tst_FlexGrid::widthHoldsItsDigits()
{
    // 90 twips a digit and 100 for the margins: an eight-digit number fits.
    m_grid->setColWidth(1, 8 * 90 + 100);
    const int text = m_view->fontMetrics().horizontalAdvance(QStringLiteral("10000001"));
    QVERIFY2(text <= m_view->columnWidth(1) - 4,
             qPrintable(QStringLiteral("%1 px of text in a %2 px column").arg(text).arg(m_view->columnWidth(1))));
}

void tst_FlexGrid::headingShowsRowZero()
{
    const QHeaderView* heading = m_view->horizontalHeader();
    QVERIFY(heading->isVisible());
    QVERIFY(!m_view->verticalHeader()->isVisible());
    QCOMPARE(heading->count(), 4);
    QCOMPARE(m_view->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("H2"));
    QCOMPARE(m_view->model()->rowCount(), 7);

    // The heading stays while the rows scroll away under it.
    m_grid->setRows(400);
    m_view->scrollToBottom();
    QCoreApplication::processEvents();
    QVERIFY(m_view->rowAt(0) > 100);
    QVERIFY(heading->isVisible());
    QCOMPARE(heading->sectionViewportPosition(0), 0);
}

void tst_FlexGrid::colours_data()
{
    QTest::addColumn<bool>("coloured");
    QTest::addColumn<bool>("selected");

    QTest::newRow("plain") << false << false;
    QTest::newRow("coloured") << true << false;
    QTest::newRow("plain, selected") << false << true;
    QTest::newRow("coloured, selected") << true << true;
}

void tst_FlexGrid::colours()
{
    QFETCH(bool, coloured);
    QFETCH(bool, selected);

    const QColor back(150, 0, 150);
    m_grid->setTextMatrix(3, 1, QString());
    if (coloured) {
        m_grid->setCellBackColor(3, 1, controls::GridRgb(back.red(), back.green(), back.blue()));
        m_grid->setCellForeColor(3, 1, controls::GridWhite);
    }
    if (selected) {
        m_grid->setRow(3);
        m_grid->setCol(1);
        m_grid->setRowSel(4);
    } else {
        m_grid->setRow(6);
    }

    const QRect rect = m_view->visualRect(m_grid->index(2, 1));
    const QImage image = m_view->viewport()->grab().toImage();
    // Sample inside the cell, away from its edges and grid lines.
    const QColor seen = image.pixelColor(rect.center());
    QColor expected = Qt::white;
    if (coloured)
        expected = back;
    else if (selected)
        expected = m_view->palette().color(QPalette::Active, QPalette::Highlight);
    QCOMPARE(seen.rgb(), expected.rgb());
}

QTEST_MAIN(tst_FlexGrid)
#include "tst_FlexGrid.moc"
