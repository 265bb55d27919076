#pragma once
// The data behind every grid of the program: cell texts, colours, alignments,
// column widths, the current cell and the selection. Grid row 0 is the heading
// row; rows 1..Rows()-1 are the data rows. Logic fills a grid through this
// model alone, so it runs without any widget; the FlexGrid widget shows it.
#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QString>

#include <stdexcept>
#include <vector>

namespace controls {

// A colour as 0xRRGGBB.
using GridColor = quint32;
constexpr GridColor GridRgb(int red, int green, int blue)
{
    return (GridColor(red & 0xFF) << 16) | (GridColor(green & 0xFF) << 8) | GridColor(blue & 0xFF);
}
inline constexpr GridColor GridWhite = GridRgb(255, 255, 255);
inline constexpr GridColor GridBlack = GridRgb(0, 0, 0);
inline constexpr GridColor GridCyan = GridRgb(0, 255, 255);

// Alignment codes: 1 left-centre, 4 centre-centre, 7 right-centre.
enum GridAlignment : int { AlignLeftCenter = 1, AlignCenterCenter = 4, AlignRightCenter = 7 };

// Raised when the grid cannot hold the rows or columns asked for.
class GridError : public std::runtime_error {
public:
    static constexpr int OutOfMemory = 30006;
    explicit GridError(int number);
    int number() const { return m_number; }

private:
    int m_number;
};

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Roles through which the view reads a cell's colours (a GridColor as uint;
    // no value for a cell without a colour of its own).
    enum Role { BackColorRole = Qt::UserRole + 1, ForeColorRole };

    // Cells a grid may hold unless a test sets another budget.
    static constexpr qint64 DefaultCellBudget = qint64(1) << 22;

    explicit GridModel(QObject* parent = nullptr);

    // Rows including the heading row 0, and columns. Growing keeps every cell;
    // shrinking drops the cells beyond (texts and cell formats), and pulls the
    // current cell, the selection and the mouse cell back inside. Both throw
    // GridError(30006) when Rows() * Cols() would pass the cell budget; the
    // grid is then unchanged. A count below 1 is taken as 1.
    int Rows() const { return m_rows; }
    void setRows(int rows);
    int Cols() const { return m_cols; }
    void setCols(int cols);

    // Text of one cell; outside the grid reads as empty and writes are ignored.
    // Writing throws GridError(30006) when memory for the text runs out.
    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);

    // Column width in twips (1/1440 inch); default 960, also for a negative
    // width. A column outside the grid reads as 0.
    int ColWidth(int col) const;
    void setColWidth(int col, int twips);

    // Alignment code of a column (default 1), and of a single cell, which
    // overrides its column's. Codes 0 to 9 are taken (0-2 left, 3-5 centre,
    // 6-8 right, always vertically centred; 9 left); others are ignored.
    // Outside the grid both read as 1.
    int ColAlignment(int col) const;
    void setColAlignment(int col, int code);
    int CellAlignment(int row, int col) const;
    void setCellAlignment(int row, int col, int code);

    // Cell colours; white background and black text unless set, and outside
    // the grid.
    GridColor CellBackColor(int row, int col) const;
    void setCellBackColor(int row, int col, GridColor color);
    GridColor CellForeColor(int row, int col) const;
    void setCellForeColor(int row, int col, GridColor color);
    // A cell's tool tip; unless set, the cell's text (for a cell too narrow for it).
    QString CellToolTip(int row, int col) const;
    void setCellToolTip(int row, int col, const QString& text);

    // The current cell and the other end of the selection. Setting Row (Col)
    // also sets RowSel (ColSel), collapsing the selection onto the current
    // cell; RowSel and ColSel then extend it. Values outside the grid are
    // clamped to its first or last row (column). selectionMoved is emitted
    // when any of the four changed.
    int Row() const { return m_row; }
    void setRow(int row);
    int Col() const { return m_col; }
    void setCol(int col);
    int RowSel() const { return m_rowSel; }
    void setRowSel(int row);
    int ColSel() const { return m_colSel; }
    void setColSel(int col);

    // The cell under the mouse when a button last went down (set by the view).
    int MouseRow() const { return m_mouseRow; }
    int MouseCol() const { return m_mouseCol; }
    void setMouseCell(int row, int col);

    // Empties every cell text, headings included, and drops the cells' own
    // colours and alignments; rows, columns, column widths and column
    // alignments stay.
    void Clear();

    // The budget applies to later changes of Rows and Cols.
    qint64 cellBudget() const { return m_cellBudget; }
    void setCellBudget(qint64 cells);

    // QAbstractTableModel, for the view: Qt row r is grid row r + 1; the
    // heading row 0 is the horizontal header.
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    // Row, Col, RowSel or ColSel were set through the setters above.
    void selectionMoved();
    // A column width or column alignment changed.
    void columnsFormatted();

private:
    struct CellStyle {
        GridColor back = GridWhite;
        GridColor fore = GridBlack;
        bool hasBack = false;
        bool hasFore = false;
        int alignment = -1;  // -1: the column's
        QString toolTip;
    };

    // Where a cell's text lies in the character pool; length 0 is empty.
    struct Span {
        quint32 offset = 0;
        quint32 length = 0;
    };

    bool inside(int row, int col) const;
    QString textAt(qsizetype slot) const;
    void storeText(qsizetype slot, const QString& text);
    void dropText(Span& span);
    void compactIfWasteful();
    void compact();
    static qint64 key(int row, int col) { return (qint64(row) << 32) | quint32(col); }
    qsizetype slot(int row, int col) const { return qsizetype(row) * m_cols + col; }
    void checkBudget(int rows, int cols) const;
    void notifyCell(int row, int col, const QList<int>& roles);
    void dropStylesOutside();
    void clampSelection();
    void setSelection(int row, int col, int rowSel, int colSel);

    int m_rows = 1;
    int m_cols = 2;
    // Cell texts live in one character pool, not as a string object per
    // cell: m_cells holds each cell's span (row-major, m_rows * m_cols) and
    // m_pool the characters. Replaced and dropped texts leave waste that is
    // squeezed out once it outweighs the live text.
    QList<Span> m_cells;
    std::vector<char16_t> m_pool;
    qsizetype m_waste = 0;
    QHash<qint64, CellStyle> m_styles;
    QList<int> m_widths;
    QList<int> m_alignments;
    int m_row = 0;
    int m_col = 0;
    int m_rowSel = 0;
    int m_colSel = 0;
    int m_mouseRow = 0;
    int m_mouseCol = 0;
    qint64 m_cellBudget = DefaultCellBudget;
};

}  // namespace controls
