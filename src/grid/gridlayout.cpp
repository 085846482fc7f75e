#include "grid/domaingrid.h"

#include "domains/domainlist.h"
#include "engine/enginecatalogue.h"

#include <cmath>

namespace {

constexpr CellColour linkBlue{0, 0, 255};

void styleDomainCell(GridControl& grid, int row)
{
    grid.makeCurrent(row, GridColumn::Domain);
    grid.setCellFontUnderline(true);
    grid.setCellForeColor(linkBlue);
}

} // namespace

DomainGrid::DomainGrid(GridControl* grid, DomainList& domains, const EngineTables& engines, const CountText& countText)
    : m_grid(grid)
    , m_domains(domains)
    , m_engines(engines)
    , m_countText(countText)
{
    if (m_grid)
        m_grid->setCellSource(this);
}

int DomainGrid::lastSourceColumn() const
{
    return GridColumn::FirstEngine + m_domains.sourceCount() - 1;
}

int DomainGrid::lastColumn() const
{
    return lastSourceColumn() + (m_graphShown ? 2 : 0);
}

void DomainGrid::SetupUrlsGrid()
{
    if (!m_grid)
        return;
    GridControl& grid = *m_grid;
    grid.setRedraw(false);
    // The domain, the total, a column a source, the web graph's two once there are figures, and the filler.
    grid.setCols(lastColumn() + 2);
    grid.Clear();
    grid.setRow(0);

    // Columns 0 to Cols - 2 take eight ninths of the grid's width; the domain column counts twice.
    const int w = static_cast<int>(std::nearbyint(grid.Width() / 9.0));
    grid.setColWidth(0, 2 * w);
    grid.setTextMatrix(0, 0, m_engines.gridHeader(0));
    for (int col = GridColumn::Total; col <= lastSourceColumn(); ++col) {
        grid.setColWidth(col, w);
        grid.setTextMatrix(0, col, m_engines.gridHeader(col));
    }
    if (m_graphShown) {
        grid.setColWidth(lastSourceColumn() + 1, w);
        grid.setColWidth(lastSourceColumn() + 2, w);
        grid.setTextMatrix(0, lastSourceColumn() + 1, graphColumnTitles()[0]);
        grid.setTextMatrix(0, lastSourceColumn() + 2, graphColumnTitles()[1]);
    }
    grid.makeCurrent(0, 0);

    const int count = m_domains.count();
    for (int missing = count + 3 - grid.Rows(); missing > 0; --missing)
        grid.AddItem(QString());

    for (int row = 1; row <= count; ++row)
        styleDomainCell(grid, row);
    showRows(1, count);
    grid.setRedraw(true);
}

void DomainGrid::AddRow(int& row)
{
    if (!m_grid)
        return;
    if (row == -1) {
        m_grid->AddItem(QString());
        row = m_grid->Rows() - 1;
    }
    styleDomainCell(*m_grid, row);
    showRows(row, row);
}

void DomainGrid::ResizeGrid()
{
    if (!m_grid)
        return;
    const int width = m_grid->Width();
    int used = 0;
    for (int col = 0; col <= m_grid->Cols() - 2; ++col)
        used += m_grid->ColWidth(col);
    if (used > width)
        return;
    m_grid->setColWidth(m_grid->Cols() - 1, width - used);
}
