#include "controls/GridModel.h"

#include <algorithm>
#include <limits>
#include <new>
#include <string>

namespace controls {

namespace {

constexpr int DefaultColWidth = 960;
// Waste below this many characters is never worth a compaction.
constexpr qsizetype MinWasteToCompact = 1 << 16;

std::string ErrorText(int number)
{
    if (number == GridError::OutOfMemory)
        return "grid out of memory";
    return "grid error " + std::to_string(number);
}

bool ValidAlignment(int code)
{
    return code >= 0 && code <= 9;
}

int QtAlignment(int code)
{
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (code >= 3 && code <= 5)
        horizontal = Qt::AlignHCenter;
    else if (code >= 6 && code <= 8)
        horizontal = Qt::AlignRight;
    return int(horizontal | Qt::AlignVCenter);
}

const QList<int>& DisplayRoles()
{
    static const QList<int> roles{Qt::DisplayRole};
    return roles;
}

const QList<int>& AlignmentRoles()
{
    static const QList<int> roles{Qt::TextAlignmentRole};
    return roles;
}

const QList<int>& BackRoles()
{
    static const QList<int> roles{GridModel::BackColorRole};
    return roles;
}

const QList<int>& ForeRoles()
{
    static const QList<int> roles{GridModel::ForeColorRole};
    return roles;
}

}  // namespace

GridError::GridError(int number) : std::runtime_error(ErrorText(number)), m_number(number) {}

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent)
{
    m_cells.resize(qsizetype(m_rows) * m_cols);
    m_widths.fill(DefaultColWidth, m_cols);
    m_alignments.fill(AlignLeftCenter, m_cols);
}

bool GridModel::inside(int row, int col) const
{
    return row >= 0 && row < m_rows && col >= 0 && col < m_cols;
}

void GridModel::checkBudget(int rows, int cols) const
{
    if (qint64(rows) * cols > m_cellBudget)
        throw GridError(GridError::OutOfMemory);
}

void GridModel::setRows(int rows)
{
    rows = std::max(rows, 1);
    if (rows == m_rows)
        return;
    checkBudget(rows, m_cols);
    const int oldRows = m_rows;
    if (rows > oldRows) {
        // The storage grows before anyone is told, so that a failure leaves
        // the grid as it was.
        try {
            m_cells.resize(qsizetype(rows) * m_cols);
        } catch (const std::bad_alloc&) {
            throw GridError(GridError::OutOfMemory);
        }
        // Qt rows oldRows-1 .. rows-2 appear (grid rows oldRows .. rows-1).
        beginInsertRows({}, oldRows - 1, rows - 2);
        m_rows = rows;
        endInsertRows();
        return;
    }
    beginRemoveRows({}, rows - 1, oldRows - 2);
    for (qsizetype i = qsizetype(rows) * m_cols; i < m_cells.size(); ++i)
        dropText(m_cells[i]);
    m_cells.resize(qsizetype(rows) * m_cols);
    m_rows = rows;
    dropStylesOutside();
    compactIfWasteful();
    endRemoveRows();
    clampSelection();
}

void GridModel::setCols(int cols)
{
    cols = std::max(cols, 1);
    if (cols == m_cols)
        return;
    checkBudget(m_rows, cols);
    const int oldCols = m_cols;
    QList<Span> cells;
    try {
        cells.resize(qsizetype(m_rows) * cols);
    } catch (const std::bad_alloc&) {
        throw GridError(GridError::OutOfMemory);
    }
    for (int r = 0; r < m_rows; ++r) {
        for (int c = 0; c < oldCols; ++c) {
            Span& span = m_cells[qsizetype(r) * oldCols + c];
            if (c < cols)
                cells[qsizetype(r) * cols + c] = span;
            else
                dropText(span);
        }
    }
    if (cols > oldCols)
        beginInsertColumns({}, oldCols, cols - 1);
    else
        beginRemoveColumns({}, cols, oldCols - 1);
    m_cells = std::move(cells);
    m_cols = cols;
    m_widths.resize(cols, DefaultColWidth);
    m_alignments.resize(cols, AlignLeftCenter);
    if (cols > oldCols) {
        endInsertColumns();
    } else {
        dropStylesOutside();
        compactIfWasteful();
        endRemoveColumns();
    }
    Q_EMIT columnsFormatted();
    clampSelection();
}

QString GridModel::TextMatrix(int row, int col) const
{
    if (!inside(row, col))
        return {};
    return textAt(slot(row, col));
}

void GridModel::setTextMatrix(int row, int col, const QString& text)
{
    if (!inside(row, col))
        return;
    storeText(slot(row, col), text);
    notifyCell(row, col, DisplayRoles());
}

int GridModel::ColWidth(int col) const
{
    if (col < 0 || col >= m_cols)
        return 0;
    return m_widths[col];
}

void GridModel::setColWidth(int col, int twips)
{
    if (col < 0 || col >= m_cols)
        return;
    if (twips < 0)
        twips = DefaultColWidth;
    if (m_widths[col] == twips)
        return;
    m_widths[col] = twips;
    Q_EMIT columnsFormatted();
}

int GridModel::ColAlignment(int col) const
{
    if (col < 0 || col >= m_cols)
        return AlignLeftCenter;
    return m_alignments[col];
}

void GridModel::setColAlignment(int col, int code)
{
    if (col < 0 || col >= m_cols || !ValidAlignment(code) || m_alignments[col] == code)
        return;
    m_alignments[col] = code;
    Q_EMIT headerDataChanged(Qt::Horizontal, col, col);
    if (m_rows > 1)
        Q_EMIT dataChanged(index(0, col), index(m_rows - 2, col), AlignmentRoles());
    Q_EMIT columnsFormatted();
}

int GridModel::CellAlignment(int row, int col) const
{
    if (!inside(row, col))
        return AlignLeftCenter;
    const auto it = m_styles.constFind(key(row, col));
    if (it != m_styles.cend() && it->alignment >= 0)
        return it->alignment;
    return m_alignments[col];
}

void GridModel::setCellAlignment(int row, int col, int code)
{
    if (!inside(row, col) || !ValidAlignment(code))
        return;
    m_styles[key(row, col)].alignment = code;
    notifyCell(row, col, AlignmentRoles());
}

GridColor GridModel::CellBackColor(int row, int col) const
{
    if (!inside(row, col))
        return GridWhite;
    const auto it = m_styles.constFind(key(row, col));
    return it != m_styles.cend() && it->hasBack ? it->back : GridWhite;
}

void GridModel::setCellBackColor(int row, int col, GridColor color)
{
    if (!inside(row, col))
        return;
    CellStyle& style = m_styles[key(row, col)];
    style.back = color & 0xFFFFFF;
    style.hasBack = true;
    notifyCell(row, col, BackRoles());
}

GridColor GridModel::CellForeColor(int row, int col) const
{
    if (!inside(row, col))
        return GridBlack;
    const auto it = m_styles.constFind(key(row, col));
    return it != m_styles.cend() && it->hasFore ? it->fore : GridBlack;
}

QString GridModel::CellToolTip(int row, int col) const
{
    if (!inside(row, col))
        return {};
    const auto it = m_styles.constFind(key(row, col));
    return it != m_styles.cend() && !it->toolTip.isEmpty() ? it->toolTip : textAt(slot(row, col));
}

void GridModel::setCellToolTip(int row, int col, const QString& text)
{
    if (!inside(row, col))
        return;
    m_styles[key(row, col)].toolTip = text;
    notifyCell(row, col, {Qt::ToolTipRole});
}

void GridModel::setCellForeColor(int row, int col, GridColor color)
{
    if (!inside(row, col))
        return;
    CellStyle& style = m_styles[key(row, col)];
    style.fore = color & 0xFFFFFF;
    style.hasFore = true;
    notifyCell(row, col, ForeRoles());
}

void GridModel::setSelection(int row, int col, int rowSel, int colSel)
{
    if (row == m_row && col == m_col && rowSel == m_rowSel && colSel == m_colSel)
        return;
    m_row = row;
    m_col = col;
    m_rowSel = rowSel;
    m_colSel = colSel;
    Q_EMIT selectionMoved();
}

void GridModel::setRow(int row)
{
    row = std::clamp(row, 0, m_rows - 1);
    setSelection(row, m_col, row, m_colSel);
}

void GridModel::setCol(int col)
{
    col = std::clamp(col, 0, m_cols - 1);
    setSelection(m_row, col, m_rowSel, col);
}

void GridModel::setRowSel(int row)
{
    setSelection(m_row, m_col, std::clamp(row, 0, m_rows - 1), m_colSel);
}

void GridModel::setColSel(int col)
{
    setSelection(m_row, m_col, m_rowSel, std::clamp(col, 0, m_cols - 1));
}

void GridModel::clampSelection()
{
    setSelection(std::min(m_row, m_rows - 1), std::min(m_col, m_cols - 1),
                 std::min(m_rowSel, m_rows - 1), std::min(m_colSel, m_cols - 1));
    m_mouseRow = std::min(m_mouseRow, m_rows - 1);
    m_mouseCol = std::min(m_mouseCol, m_cols - 1);
}

void GridModel::setMouseCell(int row, int col)
{
    m_mouseRow = std::clamp(row, 0, m_rows - 1);
    m_mouseCol = std::clamp(col, 0, m_cols - 1);
}

void GridModel::Clear()
{
    m_cells.fill(Span{});
    m_pool.clear();
    m_pool.shrink_to_fit();
    m_waste = 0;
    m_styles.clear();
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
    if (m_rows > 1)
        Q_EMIT dataChanged(index(0, 0), index(m_rows - 2, m_cols - 1));
}

void GridModel::setCellBudget(qint64 cells)
{
    m_cellBudget = cells;
}

QString GridModel::textAt(qsizetype slot) const
{
    const Span span = m_cells[slot];
    if (span.length == 0)
        return {};
    return QString::fromUtf16(m_pool.data() + span.offset, qsizetype(span.length));
}

void GridModel::storeText(qsizetype slot, const QString& text)
{
    Span& span = m_cells[slot];
    const qsizetype length = text.size();
    if (length <= qsizetype(span.length)) {
        // Fits where the old text was.
        std::copy_n(text.utf16(), length, m_pool.begin() + span.offset);
        m_waste += span.length - length;
        span.length = quint32(length);
        return;
    }
    // Offsets are 32 bits wide: a pool that would pass them is full.
    constexpr qsizetype Limit = qsizetype(std::numeric_limits<quint32>::max());
    if (qsizetype(m_pool.size()) + length > Limit) {
        compact();
        if (qsizetype(m_pool.size()) + length > Limit)
            throw GridError(GridError::OutOfMemory);
    }
    const auto offset = quint32(m_pool.size());
    try {
        m_pool.insert(m_pool.end(), text.utf16(), text.utf16() + length);
    } catch (const std::bad_alloc&) {
        throw GridError(GridError::OutOfMemory);
    }
    m_waste += span.length;
    span.offset = offset;
    span.length = quint32(length);
    compactIfWasteful();
}

void GridModel::dropText(Span& span)
{
    m_waste += span.length;
    span = Span{};
}

void GridModel::compactIfWasteful()
{
    if (m_waste >= MinWasteToCompact && m_waste * 2 >= qsizetype(m_pool.size()))
        compact();
}

void GridModel::compact()
{
    if (m_waste == 0)
        return;
    std::vector<char16_t> pool;
    try {
        pool.reserve(m_pool.size() - size_t(m_waste));
    } catch (const std::bad_alloc&) {
        return;  // the waste stays until memory allows
    }
    for (Span& span : m_cells) {
        if (span.length == 0)
            continue;
        const auto from = m_pool.cbegin() + span.offset;
        span.offset = quint32(pool.size());
        pool.insert(pool.end(), from, from + span.length);
    }
    m_pool = std::move(pool);
    m_waste = 0;
}

void GridModel::dropStylesOutside()
{
    for (auto it = m_styles.begin(); it != m_styles.end();) {
        const int row = int(it.key() >> 32);
        const int col = int(it.key() & 0xFFFFFFFF);
        if (row >= m_rows || col >= m_cols)
            it = m_styles.erase(it);
        else
            ++it;
    }
}

void GridModel::notifyCell(int row, int col, const QList<int>& roles)
{
    if (row == 0) {
        Q_EMIT headerDataChanged(Qt::Horizontal, col, col);
        return;
    }
    const QModelIndex cell = index(row - 1, col);
    Q_EMIT dataChanged(cell, cell, roles);
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows - 1;
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_cols;
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.model() != this)
        return {};
    const int row = index.row() + 1;
    const int col = index.column();
    if (!inside(row, col))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return textAt(slot(row, col));
    case Qt::ToolTipRole:
        return CellToolTip(row, col);
    case Qt::TextAlignmentRole:
        return QtAlignment(CellAlignment(row, col));
    case BackColorRole:
    case ForeColorRole: {
        const auto it = m_styles.constFind(key(row, col));
        if (it == m_styles.cend())
            return {};
        if (role == BackColorRole)
            return it->hasBack ? QVariant(uint(it->back)) : QVariant();
        return it->hasFore ? QVariant(uint(it->fore)) : QVariant();
    }
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_cols)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return textAt(slot(0, section));
    case Qt::TextAlignmentRole:
        return QtAlignment(CellAlignment(0, section));
    case BackColorRole:
    case ForeColorRole: {
        const auto it = m_styles.constFind(key(0, section));
        if (it == m_styles.cend())
            return {};
        if (role == BackColorRole)
            return it->hasBack ? QVariant(uint(it->back)) : QVariant();
        return it->hasFore ? QVariant(uint(it->fore)) : QVariant();
    }
    default:
        return {};
    }
}

}  // namespace controls
