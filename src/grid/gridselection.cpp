#include "grid/gridwidget.h"

#include "grid/gridmodel.h"
#include "grid/tablecopy.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputEvent>
#include <QItemSelectionModel>

#include <vector>

namespace {

QList<int> marked(const std::vector<bool>& marks, int first)
{
    QList<int> numbers;
    for (std::size_t k = 0; k < marks.size(); ++k) {
        if (marks[k])
            numbers.append(int(k) + first);
    }
    return numbers;
}

} // namespace

QItemSelectionModel::SelectionFlags GridWidget::selectionCommand(const QModelIndex& index, const QEvent* event) const
{
    if (!event)
        return QItemSelectionModel::ClearAndSelect;
    const auto* input = event->isInputEvent() ? static_cast<const QInputEvent*>(event) : nullptr;
    const Qt::KeyboardModifiers modifiers = input ? input->modifiers() : Qt::NoModifier;
    if (!modifiers.testFlag(Qt::ShiftModifier) &&
        (event->type() == QEvent::KeyPress ||
         (event->type() == QEvent::MouseButtonPress && modifiers.testFlag(Qt::ControlModifier))))
        return QItemSelectionModel::ClearAndSelect;
    return QTableView::selectionCommand(index, event);
}

GridWidget::CellRange GridWidget::selectedCells() const
{
    const int rows = listedRows();
    const int cols = fillerColumn();
    std::vector<bool> rowMarks(std::size_t(std::max(rows, 0)), false);
    std::vector<bool> colMarks(std::size_t(std::max(cols, 0)), false);
    const auto mark = [&](int modelRow, int col) {
        if (modelRow >= 0 && modelRow < rows && col >= 0 && col < cols) {
            rowMarks[std::size_t(modelRow)] = true;
            colMarks[std::size_t(col)] = true;
        }
    };
    // By ranges rather than by cells: a whole list selected is one range.
    const QItemSelection selection = selectionModel()->selection();
    for (const QItemSelectionRange& range : selection) {
        const int bottom = std::min(range.bottom(), rows - 1);
        const int right = std::min(range.right(), cols - 1);
        if (range.top() > bottom || range.left() > right)
            continue;
        for (int row = range.top(); row <= bottom; ++row)
            rowMarks[std::size_t(row)] = true;
        for (int col = range.left(); col <= right; ++col)
            colMarks[std::size_t(col)] = true;
    }
    if (selection.isEmpty())
        mark(m_row - 1, m_col);
    CellRange range{marked(rowMarks, 1), marked(colMarks, 0)};
    if (range.rows.isEmpty() || range.cols.isEmpty())
        return {};
    return range;
}

void GridWidget::copySelection()
{
    const CellRange cells = selectedCells();
    if (cells.rows.isEmpty())
        return;
    QGuiApplication::clipboard()->setText(tableCopyText(*this, cells.rows, cells.cols));
}

void GridWidget::selectAll()
{
    const int rows = listedRows();
    if (rows == 0 || fillerColumn() < 1)
        return;
    selectionModel()->select(QItemSelection(m_model->index(0, 0), m_model->index(rows - 1, fillerColumn() - 1)),
                             QItemSelectionModel::ClearAndSelect);
}
