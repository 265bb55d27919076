#pragma once
// The grid widget every window uses. It shows a GridModel: grid row 0 is the
// horizontal header, which stays in view while the data rows scroll. Widths,
// alignments and cell colours come from the model; the model's current cell and
// selection are what the view shows as current and selected.
//
// Mouse and keyboard, in the model's terms:
// - Any button going down on a cell or on the heading row sets MouseRow and
//   MouseCol (heading = row 0), then emits MouseDown(button, shift, x, y):
//   button 1 left, 2 right, 4 middle; shift 1 Shift | 2 Ctrl | 4 Alt; x and y
//   in pixels from the grid's top-left corner. A press on empty space below
//   the last row or right of the last column does nothing at all.
// - The left button makes the pressed cell current (Row/Col, collapsing the
//   selection; with Shift it extends RowSel/ColSel instead), before MouseDown.
//   Dragging with it held moves RowSel/ColSel. Click follows on release.
// - A left double-click makes the cell current, then emits DblClick (no second
//   Click). Right and middle presses leave the current cell alone.
// - Arrow keys, Page Up/Down and Home/End move the current cell over the data
//   rows (with Shift they move RowSel/ColSel); Tab moves the focus on.
// - Dragging a heading's edge resizes the column and writes ColWidth back.
// Selected cells show the highlight, except that a cell with a background
// colour of its own keeps it and gets a highlight frame instead.
#include "controls/GridModel.h"

#include <QTableView>

class QLabel;

namespace controls {

class FlexGrid : public QTableView {
    Q_OBJECT
public:
    explicit FlexGrid(QWidget* parent = nullptr);
    ~FlexGrid() override;

    GridModel* gridModel() const { return m_grid; }

    // The width in pixels of `twips` on this widget's screen.
    // Widths are in twips of the desktop font the widths were chosen for.
    int twipsToPixels(int twips) const;

Q_SIGNALS:
    void Click();
    void DblClick();
    void MouseDown(int button, int shift, int x, int y);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    double pixelsPerTwip() const;
    struct Cell {
        int row = -1;
        int col = -1;
        bool valid() const { return row >= 0 && col >= 0; }
    };

    Cell cellAtViewport(const QPoint& pos) const;
    Cell cellAtHeader(const QPoint& pos) const;
    Cell nearestDataCell(const QPoint& pos) const;
    bool onSectionEdge(int x) const;
    void press(const Cell& cell, const QMouseEvent* event, const QPoint& gridPos);
    void release(const QMouseEvent* event);
    void doubleClick(const Cell& cell, const QMouseEvent* event, const QPoint& gridPos);
    bool moveByKey(const QKeyEvent* event);
    void applyColumnFormats();
    void followModelSelection();
    void storeUserWidth(int col, int oldSize, int newSize);

    GridModel* m_grid;
    bool m_following = false;   // copying the model's selection into the view
    bool m_formatting = false;  // copying the model's widths into the header
    bool m_inKey = false;       // inside keyPressEvent
    bool m_dragging = false;    // left button held since a press on a data cell
    bool m_clickPending = false;
};

// A grid named "Grid" laid over a centred label "Label1" in one area of
// `parent`: the label is seen only while the grid is hidden, as during a
// query run.
struct GridOverLabel {
    QWidget* area = nullptr;
    FlexGrid* grid = nullptr;
    QLabel* label = nullptr;
};
GridOverLabel MakeGridOverLabel(QWidget* parent, const QString& labelText);

}  // namespace controls
