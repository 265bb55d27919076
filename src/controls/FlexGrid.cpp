#include "controls/FlexGrid.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>

namespace controls {

namespace {

int ButtonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

int ShiftCode(Qt::KeyboardModifiers modifiers)
{
    int code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= 1;
    if (modifiers & Qt::ControlModifier)
        code |= 2;
    if (modifiers & Qt::AltModifier)
        code |= 4;
    return code;
}

QColor ColorOf(const QVariant& value)
{
    return QColor::fromRgb(QRgb(value.toUInt()));
}

// Paints a cell in its own colours. A selected cell without a background of
// its own takes the highlight; one with its own background keeps it and gets a
// highlight frame, so that a coloured cell stays recognisable when selected.
class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const QVariant back = index.data(GridModel::BackColorRole);
        const QVariant fore = index.data(GridModel::ForeColorRole);
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& palette = option.palette;

        QColor background = back.isValid() ? ColorOf(back) : QColor(Qt::white);
        QColor text = fore.isValid() ? ColorOf(fore) : QColor(Qt::black);
        if (selected && !back.isValid()) {
            background = palette.color(QPalette::Active, QPalette::Highlight);
            if (!fore.isValid())
                text = palette.color(QPalette::Active, QPalette::HighlightedText);
        }

        painter->save();
        painter->fillRect(option.rect, background);
        if (selected && back.isValid()) {
            QPen pen(palette.color(QPalette::Active, QPalette::Highlight), 2);
            pen.setJoinStyle(Qt::MiterJoin);
            painter->setPen(pen);
            painter->drawRect(QRectF(option.rect).adjusted(1, 1, -1, -1));
        }
        const QString content = index.data(Qt::DisplayRole).toString();
        if (!content.isEmpty()) {
            const int alignment = index.data(Qt::TextAlignmentRole).toInt();
            painter->setFont(option.font);
            painter->setPen(text);
            // A text wider than its column ends in an ellipsis: cut off at the
            // left, a right-aligned number would read as another number.
            const QRect area = option.rect.adjusted(2, 0, -2, 0);
            const QString shown = option.fontMetrics.elidedText(content, Qt::ElideRight, area.width());
            painter->drawText(area, alignment | Qt::TextSingleLine, shown);
        }
        if (option.state & QStyle::State_HasFocus) {
            QPen pen(text, 1, Qt::DotLine);
            painter->setPen(pen);
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
        }
        painter->restore();
    }
};

}  // namespace

FlexGrid::FlexGrid(QWidget* parent) : QTableView(parent), m_grid(new GridModel(this))
{
    setModel(m_grid);
    setItemDelegate(new CellDelegate(this));
    // The view never changes the selection by itself: every change goes
    // through the model, and the view shows what the model holds.
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);

    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 6);

    QHeaderView* heading = horizontalHeader();
    heading->setSectionsClickable(false);
    heading->setHighlightSections(false);
    heading->setStretchLastSection(false);
    heading->setSectionResizeMode(QHeaderView::Interactive);
    heading->setMinimumSectionSize(0);
    heading->viewport()->installEventFilter(this);

    connect(m_grid, &GridModel::columnsFormatted, this, &FlexGrid::applyColumnFormats);
    connect(m_grid, &QAbstractItemModel::columnsInserted, this, &FlexGrid::applyColumnFormats);
    connect(m_grid, &GridModel::selectionMoved, this, &FlexGrid::followModelSelection);
    connect(heading, &QHeaderView::sectionResized, this, &FlexGrid::storeUserWidth);
    applyColumnFormats();
}

FlexGrid::~FlexGrid() = default;

double FlexGrid::pixelsPerTwip() const
{
    // Column widths are chosen for a desktop font whose digits are 90 twips
    // wide. A wider font widens every column in proportion, so that a column
    // holds as many characters as it was meant to; a narrower one changes
    // nothing.
    const double plain = logicalDpiX() / 1440.0;
    const double referenceDigit = 90.0 * plain;
    const double digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    return plain * std::max(1.0, digit / referenceDigit);
}

int FlexGrid::twipsToPixels(int twips) const
{
    return qRound(twips * pixelsPerTwip());
}

void FlexGrid::applyColumnFormats()
{
    if (m_formatting)
        return;
    m_formatting = true;
    for (int c = 0; c < m_grid->Cols(); ++c)
        setColumnWidth(c, twipsToPixels(m_grid->ColWidth(c)));
    m_formatting = false;
    viewport()->update();
    horizontalHeader()->viewport()->update();
}

void FlexGrid::storeUserWidth(int col, int /*oldSize*/, int newSize)
{
    if (m_formatting)
        return;
    m_formatting = true;
    m_grid->setColWidth(col, qRound(newSize / pixelsPerTwip()));
    m_formatting = false;
}

void FlexGrid::followModelSelection()
{
    m_following = true;
    QItemSelectionModel* selection = selectionModel();
    const int dataRows = m_grid->rowCount();
    const int row = m_grid->Row();
    const int col = m_grid->Col();
    const QModelIndex current =
        row >= 1 && row - 1 < dataRows ? m_grid->index(row - 1, col) : QModelIndex();
    selection->setCurrentIndex(current, QItemSelectionModel::NoUpdate);

    const int top = std::max(std::min(row, m_grid->RowSel()), 1);
    const int bottom = std::min(std::max(row, m_grid->RowSel()), dataRows);
    const int left = std::min(col, m_grid->ColSel());
    const int right = std::max(col, m_grid->ColSel());
    if (top <= bottom) {
        selection->select(QItemSelection(m_grid->index(top - 1, left),
                                         m_grid->index(bottom - 1, right)),
                          QItemSelectionModel::ClearAndSelect);
    } else {
        selection->clearSelection();
    }
    m_following = false;
}

void FlexGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    // Keys the base class handles (typing a cell's first letters) move the
    // current index; the model follows them.
    if (m_inKey && !m_following && current.isValid()) {
        m_grid->setRow(current.row() + 1);
        m_grid->setCol(current.column());
    }
}

FlexGrid::Cell FlexGrid::cellAtViewport(const QPoint& pos) const
{
    const int row = rowAt(pos.y());
    const int col = columnAt(pos.x());
    if (row < 0 || col < 0)
        return {};
    return {row + 1, col};
}

FlexGrid::Cell FlexGrid::cellAtHeader(const QPoint& pos) const
{
    const int col = horizontalHeader()->logicalIndexAt(pos.x());
    if (col < 0)
        return {};
    return {0, col};
}

bool FlexGrid::onSectionEdge(int x) const
{
    const QHeaderView* heading = horizontalHeader();
    const int grip = heading->style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, heading);
    const int col = heading->logicalIndexAt(x);
    if (col < 0)
        return false;
    const int start = heading->sectionViewportPosition(col);
    const int end = start + heading->sectionSize(col);
    return x >= end - grip || (x < start + grip && heading->visualIndex(col) > 0);
}

FlexGrid::Cell FlexGrid::nearestDataCell(const QPoint& pos) const
{
    const QRect area = viewport()->rect();
    const QPoint inside(std::clamp(pos.x(), area.left(), area.right()),
                        std::clamp(pos.y(), area.top(), area.bottom()));
    int row = rowAt(inside.y());
    int col = columnAt(inside.x());
    if (row < 0)
        row = m_grid->rowCount() - 1;
    if (col < 0)
        col = m_grid->columnCount() - 1;
    if (row < 0 || col < 0)
        return {};
    return {row + 1, col};
}

void FlexGrid::press(const Cell& cell, const QMouseEvent* event, const QPoint& gridPos)
{
    const int button = ButtonCode(event->button());
    if (button == 0 || !cell.valid())
        return;
    m_grid->setMouseCell(cell.row, cell.col);
    if (button == 1) {
        if (event->modifiers() & Qt::ShiftModifier) {
            m_grid->setRowSel(cell.row);
            m_grid->setColSel(cell.col);
        } else {
            m_grid->setRow(cell.row);
            m_grid->setCol(cell.col);
        }
        m_dragging = cell.row >= 1;
        m_clickPending = true;
    }
    Q_EMIT MouseDown(button, ShiftCode(event->modifiers()), gridPos.x(), gridPos.y());
}

void FlexGrid::release(const QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    if (!m_clickPending)
        return;
    m_clickPending = false;
    Q_EMIT Click();
}

void FlexGrid::doubleClick(const Cell& cell, const QMouseEvent* event, const QPoint& gridPos)
{
    if (event->button() != Qt::LeftButton) {
        // The second press of a right or middle double-click is a press.
        press(cell, event, gridPos);
        return;
    }
    m_dragging = false;
    m_clickPending = false;
    if (!cell.valid())
        return;
    m_grid->setMouseCell(cell.row, cell.col);
    m_grid->setRow(cell.row);
    m_grid->setCol(cell.col);
    Q_EMIT DblClick();
}

void FlexGrid::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    press(cellAtViewport(pos), event, viewport()->mapTo(this, pos));
    event->accept();
}

void FlexGrid::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging || !(event->buttons() & Qt::LeftButton)) {
        event->ignore();
        return;
    }
    const Cell cell = nearestDataCell(event->position().toPoint());
    if (cell.valid()) {
        m_grid->setRowSel(cell.row);
        m_grid->setColSel(cell.col);
        scrollTo(m_grid->index(cell.row - 1, cell.col));
    }
    event->accept();
}

void FlexGrid::mouseReleaseEvent(QMouseEvent* event)
{
    release(event);
    event->accept();
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    doubleClick(cellAtViewport(pos), event, viewport()->mapTo(this, pos));
    event->accept();
}

bool FlexGrid::eventFilter(QObject* watched, QEvent* event)
{
    QWidget* headerArea = horizontalHeader()->viewport();
    if (watched != headerArea)
        return QTableView::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint pos = mouse->position().toPoint();
        // A left press on a section edge belongs to the header: it resizes.
        if (mouse->button() == Qt::LeftButton && onSectionEdge(pos.x()))
            return false;
        const Cell cell = cellAtHeader(pos);
        if (event->type() == QEvent::MouseButtonPress)
            press(cell, mouse, headerArea->mapTo(this, pos));
        else
            doubleClick(cell, mouse, headerArea->mapTo(this, pos));
        return false;
    }
    case QEvent::MouseButtonRelease:
        release(static_cast<QMouseEvent*>(event));
        return false;
    default:
        return false;
    }
}

bool FlexGrid::moveByKey(const QKeyEvent* event)
{
    const int lastRow = m_grid->Rows() - 1;
    const int lastCol = m_grid->Cols() - 1;
    if (lastRow < 1)
        return false;
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const bool far = event->modifiers() & Qt::ControlModifier;
    int row = extend ? m_grid->RowSel() : m_grid->Row();
    int col = extend ? m_grid->ColSel() : m_grid->Col();
    const int page = std::max(1, viewport()->height() / std::max(1, rowHeight(0)) - 1);
    switch (event->key()) {
    case Qt::Key_Up:
        row = far ? 1 : row - 1;
        break;
    case Qt::Key_Down:
        row = far ? lastRow : row + 1;
        break;
    case Qt::Key_Left:
        col = far ? 0 : col - 1;
        break;
    case Qt::Key_Right:
        col = far ? lastCol : col + 1;
        break;
    case Qt::Key_PageUp:
        row -= page;
        break;
    case Qt::Key_PageDown:
        row += page;
        break;
    case Qt::Key_Home:
        col = 0;
        if (far)
            row = 1;
        break;
    case Qt::Key_End:
        col = lastCol;
        if (far)
            row = lastRow;
        break;
    default:
        return false;
    }
    row = std::clamp(row, 1, lastRow);
    col = std::clamp(col, 0, lastCol);
    if (extend) {
        m_grid->setRowSel(row);
        m_grid->setColSel(col);
    } else {
        m_grid->setRow(row);
        m_grid->setCol(col);
    }
    scrollTo(m_grid->index(row - 1, col));
    return true;
}

void FlexGrid::keyPressEvent(QKeyEvent* event)
{
    if (moveByKey(event)) {
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        event->accept();
        return;
    }
    m_inKey = true;
    QTableView::keyPressEvent(event);
    m_inKey = false;
}

GridOverLabel MakeGridOverLabel(QWidget* parent, const QString& labelText)
{
    GridOverLabel made;
    made.area = new QWidget(parent);
    auto* stack = new QGridLayout(made.area);
    stack->setContentsMargins(0, 0, 0, 0);
    made.label = new QLabel(labelText, made.area);
    made.label->setObjectName(QStringLiteral("Label1"));
    made.label->setAlignment(Qt::AlignCenter);
    made.grid = new FlexGrid(made.area);
    made.grid->setObjectName(QStringLiteral("Grid"));
    stack->addWidget(made.label, 0, 0);
    stack->addWidget(made.grid, 0, 0);
    made.grid->raise();
    return made;
}

}  // namespace controls
