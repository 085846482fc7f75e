#include "grid/memorygrid.h"

MemoryGrid::MemoryGrid()
    : m_cells(qsizetype(InitialRows) * ColumnCount)
    , m_colWidths(ColumnCount, 0)
{
}

void MemoryGrid::AddItem(const QString& text)
{
    const qsizetype first = m_cells.size();
    m_cells.resize(first + ColumnCount);
    m_cells[first] = text;
}

void MemoryGrid::Clear()
{
    for (QString& cell : m_cells)
        cell.clear();
}
