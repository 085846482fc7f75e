#pragma once

#include <QAccessibleWidget>
#include <QHash>

#include <memory>

class GridWidget;

// What screen readers learn of the domain grid: a table of the domain rows (the blank rows below the list are
// not part of it) and of the columns up to the last count (not the filler), with the column headers. Cells
// have a name (their text) and a description (their note, if any), and no actions: the grid's cells cannot be
// toggled, edited or pressed.
class GridAccessible final : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit GridAccessible(GridWidget& grid);
    ~GridAccessible() override;

    // The factory that QAccessible asks for a GridWidget's interface.
    static QAccessibleInterface* create(const QString& className, QObject* object);

    // Where the cell at model (row, col) is among the table's children, as in a focus event; -1 when it is not.
    static int childIndex(const GridWidget& grid, int row, int col);

    void* interface_cast(QAccessible::InterfaceType type) override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    QAccessibleInterface* cellAt(int row, int column) const override;
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QString columnDescription(int column) const override;
    QString rowDescription(int row) const override;
    int columnCount() const override;
    int rowCount() const override;
    int selectedCellCount() const override;
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* event) override;

    // The header row is row -1.
    QAccessibleInterface* cell(int row, int column) const;

private:
    GridWidget& grid() const;
    void forgetCells();

    mutable QHash<quint64, QAccessible::Id> m_cells;
    std::unique_ptr<QObject> m_modelWatch; // connections to the model, ended with this interface
};
