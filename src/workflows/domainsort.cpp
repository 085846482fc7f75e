#include "workflows/domaineditor.h"

#include "domains/domainlist.h"
#include "grid/domaingrid.h"
#include "grid/rowsort.h"

void DomainEditor::sortRows(int col, Qt::SortOrder order)
{
    // The counts stay as the grid shows them: a cell without a count stays empty, and sorts as having none.
    const QList<int> rows = sortedRows(m_grid, col, order);
    GridControl* grid = m_grid.grid();
    const int current = grid ? grid->Row() : 0;
    const int currentCol = grid ? grid->Col() : 0;
    m_domains.reorder(rows);
    m_grid.SetupUrlsGrid();
    m_grid.DisplayUrlsData();
    if (!grid)
        return;
    const int moved = int(rows.indexOf(current)) + 1;
    grid->makeCurrent(moved >= 1 ? moved : current, currentCol);
}
