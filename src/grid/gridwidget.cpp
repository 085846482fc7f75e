#include "grid/gridwidget.h"

#include "grid/gridaccessible.h"
#include "grid/gridcolumns.h"
#include "grid/gridmodel.h"
#include "grid/headerlabelstyle.h"
#include "grid/notemarkdelegate.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr double twipsPerInch = 1440.0;

QRgb toRgb(CellColour colour)
{
    return qRgb(colour.red, colour.green, colour.blue);
}

int buttonCode(Qt::MouseButton button)
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

int shiftCode(Qt::KeyboardModifiers modifiers)
{
    return (modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0) | (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0) |
           (modifiers.testFlag(Qt::AltModifier) ? 4 : 0);
}

} // namespace

GridWidget::GridWidget(QWidget* parent)
    : QTableView(parent)
    , m_model(new GridModel(InitialRows - 1, 1, this))
{
    // Screen readers see the grid as a table of the listed domains (see GridAccessible).
    QAccessible::installFactory(&GridAccessible::create);
    setModel(m_model);
    setItemDelegate(new NoteMarkDelegate(this));
    verticalHeader()->hide();
    QHeaderView* header = horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto* headerStyle = new HeaderLabelStyle(style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    headerStyle->setParent(header);
    header->setStyle(headerStyle);
    arrangeColumns();
    // Presses on the header row go to the header's viewport, as they do on the cells.
    header->viewport()->installEventFilter(this);
    // Whole columns scroll, so a column in view starts at the left edge (see emitMouseEvent for the last step).
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the grid for the next control; the arrow keys move within it.
    setTabKeyNavigation(false);
    // One rectangle of cells at a time, which copies as a table.
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setWordWrap(false);

    QFont underlined = font();
    underlined.setUnderline(true);
    m_model->setUnderlinedFont(underlined);

    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        // The user moved the current cell; while the logic holds the redraw off it keeps its own.
        if (m_redraw && current.isValid()) {
            m_row = current.row() + 1;
            m_col = current.column();
        }
    });
}

int GridWidget::Rows() const
{
    return m_model->rowCount() + 1;
}

double GridWidget::twipsPerPixelX() const
{
    return twipsPerInch / logicalDpiX();
}

double GridWidget::twipsPerPixelY() const
{
    return twipsPerInch / logicalDpiY();
}

int GridWidget::toPixelsX(int twips) const
{
    return static_cast<int>(std::lround(twips / twipsPerPixelX()));
}

void GridWidget::setRow(int row)
{
    m_row = row;
    showCurrentCell();
}

void GridWidget::setCol(int col)
{
    m_col = col;
    showCurrentCell();
}

void GridWidget::showCurrentCell()
{
    if (!m_redraw)
        return;
    const int row = m_row;
    const int col = m_col;
    setCurrentIndex(row >= 1 ? m_model->index(row - 1, col) : QModelIndex());
    m_row = row;
    m_col = col;
}

QString GridWidget::TextMatrix(int row, int col) const
{
    return row == 0 ? m_model->headerText(col) : m_model->text(row - 1, col);
}

void GridWidget::setTextMatrix(int row, int col, const QString& text)
{
    if (row == 0)
        m_model->setHeaderText(col, text);
    else
        m_model->setText(row - 1, col, text);
    fitText(row, col, text);
}

void GridWidget::setCellSource(const GridCellSource* source)
{
    m_model->setCellSource(source);
}

void GridWidget::cellsChanged(int firstRow, int lastRow, int firstCol, int lastCol)
{
    m_model->sourceChanged(firstRow - 1, std::min(lastRow, Rows() - 1) - 1, firstCol, lastCol);
}

int GridWidget::listedRows() const
{
    int rows = m_model->rowCount();
    while (rows > 0 && m_model->text(rows - 1, GridColumn::Domain).isEmpty())
        --rows;
    return rows;
}

// The table view tells screen readers of the current and selected cells by its own numbering of cells, which
// counts the blank rows and the filler; these tell them by the accessible table's.
void GridWidget::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QAbstractItemView::currentChanged(current, previous);
    tellScreenReaders(QAccessible::Focus, current);
}

void GridWidget::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QAbstractItemView::selectionChanged(selected, deselected);
    for (const QModelIndex& index : selected.indexes())
        tellScreenReaders(QAccessible::SelectionAdd, index);
}

void GridWidget::tellScreenReaders(QAccessible::Event type, const QModelIndex& index)
{
    if (!QAccessible::isActive() || !index.isValid())
        return;
    if (const int child = GridAccessible::childIndex(*this, index.row(), index.column()); child >= 0) {
        QAccessibleEvent event(this, type);
        event.setChild(child);
        QAccessible::updateAccessibility(&event);
    }
}

QPoint GridWidget::currentCellPopupPosition()
{
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return viewport()->mapToGlobal(QPoint(0, 0));
    scrollTo(current);
    return viewport()->mapToGlobal(visualRect(current).bottomLeft());
}

void GridWidget::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        event->accept();
        Q_EMIT popupKeyPressed();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        event->accept();
        copySelection();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        event->accept();
        selectAll();
        return;
    }
    QTableView::keyPressEvent(event);
}

void GridWidget::contextMenuEvent(QContextMenuEvent* event)
{
    // The window system turns the Menu key into this event; a mouse's menu opens on the press (MouseDown).
    if (event->reason() == QContextMenuEvent::Keyboard) {
        event->accept();
        Q_EMIT popupKeyPressed();
        return;
    }
    QTableView::contextMenuEvent(event);
}

bool GridWidget::viewportEvent(QEvent* event)
{
    // A domain that its column still cuts shows whole in a tooltip; other cells show their notes.
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        if (index.isValid() && index.column() == GridColumn::Domain) {
            const QString domain = m_model->text(index.row(), GridColumn::Domain);
            if (!domain.isEmpty() && domainTextWidth(domain) > columnWidth(GridColumn::Domain)) {
                QToolTip::showText(help->globalPos(), domain, viewport(), visualRect(index));
                return true;
            }
        }
    }
    return QTableView::viewportEvent(event);
}

void GridWidget::setCellNotes(CellNotes notes)
{
    if (!notes) {
        m_model->setNoteSource({});
        return;
    }
    m_model->setNoteSource([notes = std::move(notes)](int modelRow, int col) { return notes(modelRow + 1, col); });
}

void GridWidget::noteChanged(int row, int col)
{
    if (row > 0)
        m_model->noteChanged(row - 1, col);
}

QVariant GridWidget::cellData(int row, int col, int role) const
{
    return row == 0 ? m_model->headerData(col, Qt::Horizontal, role) : m_model->index(row - 1, col).data(role);
}

int GridWidget::ColWidth(int col) const
{
    if (col == fillerColumn())
        return m_fillerTwips;
    return static_cast<int>(std::lround(columnWidth(col) * twipsPerPixelX()));
}

void GridWidget::setColWidth(int col, int twips)
{
    // The filler column is drawn to the visible edge whatever its width.
    if (col == fillerColumn()) {
        m_fillerTwips = twips;
        return;
    }
    setColumnWidth(col, toPixelsX(twips));
    if (col == GridColumn::Domain)
        m_domainLaidOutWidth = columnWidth(col);
}

int GridWidget::RowHeight(int row) const
{
    int pixels = row == 0 ? horizontalHeader()->height() : rowHeight(row - 1);
    // Scrolled to the end, the view shows the first row in view only in part; its hidden part is not counted,
    // so that summing the heights of the rows in view finds the row drawn under a point.
    if (row > 0)
        pixels += std::min(rowViewportPosition(row - 1), 0);
    return static_cast<int>(std::lround(std::max(pixels, 0) * twipsPerPixelY()));
}

bool GridWidget::ColIsVisible(int col) const
{
    const int left = columnViewportPosition(col);
    return left + columnWidth(col) > 0 && left < viewport()->width();
}

bool GridWidget::RowIsVisible(int row) const
{
    if (row == 0)
        return true;
    const int top = rowViewportPosition(row - 1);
    return top + rowHeight(row - 1) > 0 && top < viewport()->height();
}

// The header row keeps the style of Qt's header; styles apply to the cells below it.
void GridWidget::setCellForeColor(CellColour colour)
{
    if (m_row > 0)
        m_model->setForeground(m_row - 1, m_col, toRgb(colour));
}

void GridWidget::setCellBackColor(CellColour colour)
{
    if (m_row > 0)
        m_model->setBackground(m_row - 1, m_col, toRgb(colour));
}

void GridWidget::setCellFontUnderline(bool underline)
{
    if (m_row > 0)
        m_model->setUnderline(m_row - 1, m_col, underline);
}

void GridWidget::AddItem(const QString& text)
{
    m_model->appendRow(text);
}

void GridWidget::Clear()
{
    m_longestDomain = 0;
    m_model->clearCells();
}

void GridWidget::setRedraw(bool redraw)
{
    m_redraw = redraw;
    m_model->holdNotifications(!redraw);
    setUpdatesEnabled(redraw);
    if (!redraw)
        return;
    showCurrentCell();
    if (std::exchange(m_widenedUnseen, false))
        Q_EMIT columnWidened();
}

int GridWidget::Width() const
{
    return static_cast<int>(std::lround(width() * twipsPerPixelX()));
}

void GridWidget::mousePressEvent(QMouseEvent* event)
{
    // The view moves its current cell first, so that the handlers see the pressed cell as current.
    QTableView::mousePressEvent(event);
    emitMouseEvent(event, viewport(), true);
}

void GridWidget::mouseReleaseEvent(QMouseEvent* event)
{
    QTableView::mouseReleaseEvent(event);
    emitMouseEvent(event, viewport(), false);
    Q_EMIT Click();
}

bool GridWidget::eventFilter(QObject* watched, QEvent* event)
{
    QWidget* header = horizontalHeader()->viewport();
    if (watched == header && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease))
        emitMouseEvent(static_cast<QMouseEvent*>(event), header, event->type() == QEvent::MouseButtonPress);
    return QTableView::eventFilter(watched, event);
}

void GridWidget::emitMouseEvent(const QMouseEvent* event, QWidget* source, bool press)
{
    // Measured from the corner inside the frame, where the header row and column 0 begin, to the centre of the
    // device pixel under the pointer: a row's first pixel lies inside that row, not on the edge above it.
    const qreal halfPixel = 0.5 / devicePixelRatioF();
    QPointF position =
        source->mapTo(this, event->position()) - QPointF(frameWidth(), frameWidth()) + QPointF(halfPixel, halfPixel);
    // Scrolled to its end, the view may show the first column in view only in part; the column is counted whole,
    // so the position moves by the part out of view.
    const int firstInView = columnAt(0);
    if (firstInView >= 0)
        position.rx() -= std::min(columnViewportPosition(firstInView), 0);
    const auto x = static_cast<float>(position.x() * twipsPerPixelX());
    const auto y = static_cast<float>(position.y() * twipsPerPixelY());
    if (press)
        Q_EMIT MouseDown(buttonCode(event->button()), shiftCode(event->modifiers()), x, y);
    else
        Q_EMIT MouseUp(buttonCode(event->button()), shiftCode(event->modifiers()), x, y);
}
