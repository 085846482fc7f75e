#include "grid/gridaccessible.h"

#include "grid/gridwidget.h"

#include <QHeaderView>
#include <QPointer>

namespace {

quint64 cellKey(int row, int column)
{
    return (quint64(quint32(row + 1)) << 32) | quint32(column);
}

// One cell of the grid, or one column header (row -1). It offers no actions.
class GridCellAccessible final : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    GridCellAccessible(GridWidget& grid, int row, int column)
        : m_grid(&grid)
        , m_row(row)
        , m_column(column)
    {
    }

    bool isValid() const override { return m_grid && m_row < m_grid->model()->rowCount(); }
    QObject* object() const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_grid); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return m_row < 0 ? QAccessible::ColumnHeader : QAccessible::Cell; }

    QWindow* window() const override
    {
        const QAccessibleInterface* table = parent();
        return table ? table->window() : nullptr;
    }

    QString text(QAccessible::Text kind) const override
    {
        if (!m_grid)
            return {};
        if (kind == QAccessible::Name)
            return m_row < 0 ? m_grid->model()->headerData(m_column, Qt::Horizontal).toString() : data(Qt::DisplayRole);
        if (kind == QAccessible::Description && m_row >= 0)
            return data(Qt::ToolTipRole);
        return {};
    }

    QRect rect() const override
    {
        if (!m_grid)
            return {};
        if (m_row < 0) {
            const QHeaderView* header = m_grid->horizontalHeader();
            const QRect section(header->sectionViewportPosition(m_column), 0, header->sectionSize(m_column),
                                header->height());
            return QRect(header->viewport()->mapToGlobal(section.topLeft()), section.size());
        }
        const QRect cell = m_grid->visualRect(index());
        return QRect(m_grid->viewport()->mapToGlobal(cell.topLeft()), cell.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!m_grid || m_row < 0)
            return state;
        const QRect inView = m_grid->viewport()->rect();
        state.invisible = !m_grid->isVisible() || !inView.intersects(m_grid->visualRect(index()));
        state.offscreen = state.invisible;
        state.focusable = true;
        state.selectable = true;
        state.readOnly = true;
        state.selected = isSelected();
        state.focused = state.selected && m_grid->hasFocus();
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface*>(this) : nullptr;
    }

    bool isSelected() const override { return m_grid && m_row >= 0 && m_grid->currentIndex() == index(); }
    QList<QAccessibleInterface*> columnHeaderCells() const override
    {
        auto* table = static_cast<GridAccessible*>(parent());
        return m_row < 0 || !table ? QList<QAccessibleInterface*>{} : QList{table->cell(-1, m_column)};
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_column; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    QModelIndex index() const { return m_grid->model()->index(m_row, m_column); }
    QString data(int role) const { return index().data(role).toString(); }

    QPointer<GridWidget> m_grid;
    int m_row;
    int m_column;
};

} // namespace

GridAccessible::GridAccessible(GridWidget& grid)
    : QAccessibleWidget(&grid, QAccessible::Table)
    , m_modelWatch(std::make_unique<QObject>())
{
    // Rows that come, go or move change what every cell's place means.
    const QAbstractItemModel* model = grid.model();
    const QObject* watch = m_modelWatch.get();
    QObject::connect(model, &QAbstractItemModel::rowsInserted, watch, [this] { forgetCells(); });
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, watch, [this] { forgetCells(); });
    QObject::connect(model, &QAbstractItemModel::modelReset, watch, [this] { forgetCells(); });
    QObject::connect(model, &QAbstractItemModel::layoutChanged, watch, [this] { forgetCells(); });
}

GridAccessible::~GridAccessible()
{
    forgetCells();
}

QAccessibleInterface* GridAccessible::create(const QString& className, QObject* object)
{
    auto* grid = qobject_cast<GridWidget*>(object);
    return className == QLatin1String("GridWidget") && grid ? new GridAccessible(*grid) : nullptr;
}

int GridAccessible::childIndex(const GridWidget& grid, int row, int col)
{
    const int columns = grid.Cols() - 1;
    if (row < 0 || col < 0 || col >= columns || row >= grid.listedRows())
        return -1;
    return (row + 1) * columns + col;
}

GridWidget& GridAccessible::grid() const
{
    return *static_cast<GridWidget*>(widget());
}

void GridAccessible::forgetCells()
{
    for (const QAccessible::Id id : std::as_const(m_cells))
        QAccessible::deleteAccessibleInterface(id);
    m_cells.clear();
}

void* GridAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

int GridAccessible::columnCount() const
{
    return grid().Cols() - 1;
}

int GridAccessible::rowCount() const
{
    return grid().listedRows();
}

int GridAccessible::childCount() const
{
    return (rowCount() + 1) * columnCount();
}

QAccessibleInterface* GridAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    return cell(index / columnCount() - 1, index % columnCount());
}

int GridAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    const QAccessibleTableCellInterface* cell =
        child ? const_cast<QAccessibleInterface*>(child)->tableCellInterface() : nullptr;
    if (!cell || child->parent() != this)
        return -1;
    return (cell->rowIndex() + 1) * columnCount() + cell->columnIndex();
}

QAccessibleInterface* GridAccessible::childAt(int x, int y) const
{
    const QPoint inViewport = grid().viewport()->mapFromGlobal(QPoint(x, y));
    const QModelIndex index = grid().indexAt(inViewport);
    return index.isValid() ? cellAt(index.row(), index.column()) : nullptr;
}

QAccessibleInterface* GridAccessible::focusChild() const
{
    const QModelIndex current = grid().currentIndex();
    return current.isValid() ? cellAt(current.row(), current.column()) : nullptr;
}

QAccessibleInterface* GridAccessible::cellAt(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return nullptr;
    return cell(row, column);
}

QAccessibleInterface* GridAccessible::cell(int row, int column) const
{
    const quint64 key = cellKey(row, column);
    if (const auto found = m_cells.constFind(key); found != m_cells.cend())
        return QAccessible::accessibleInterface(*found);
    auto* made = new GridCellAccessible(grid(), row, column);
    m_cells.insert(key, QAccessible::registerAccessibleInterface(made));
    return made;
}

QString GridAccessible::columnDescription(int column) const
{
    return grid().model()->headerData(column, Qt::Horizontal).toString();
}

QString GridAccessible::rowDescription(int row) const
{
    return grid().model()->index(row, 0).data().toString();
}

int GridAccessible::selectedCellCount() const
{
    return focusChild() ? 1 : 0;
}

QList<QAccessibleInterface*> GridAccessible::selectedCells() const
{
    if (QAccessibleInterface* current = focusChild())
        return {current};
    return {};
}

void GridAccessible::modelChange(QAccessibleTableModelChangeEvent* event)
{
    if (event->modelChangeType() != QAccessibleTableModelChangeEvent::DataChanged)
        forgetCells();
}
