#include "grid/domaingrid.h"

#include "domains/domainlist.h"
#include "engine/bytetext.h"
#include "engine/counttext.h"
#include "engine/enginecatalogue.h"

#include <cmath>

namespace {

constexpr CellColour linkBlue{0, 0, 255};

} // namespace

DomainGrid::DomainGrid(GridControl& grid, DomainList& domains, const EngineTables& engines, const CountText& countText)
    : m_grid(grid)
    , m_domains(domains)
    , m_engines(engines)
    , m_countText(countText)
{
}

void DomainGrid::SetupUrlsGrid()
{
    m_grid.setRedraw(false);
    m_grid.Clear();
    m_grid.setRow(0);

    // Columns 0 to Cols - 2 take eight ninths of the grid's width; the domain column counts twice.
    const int w = static_cast<int>(std::nearbyint(m_grid.Width() / 9.0));
    m_grid.setColWidth(0, 2 * w);
    m_grid.setTextMatrix(0, 0, m_engines.gridHeader(0));
    m_grid.setColWidth(GridColumn::Total, w);
    m_grid.setTextMatrix(0, GridColumn::Total, m_engines.gridHeader(GridColumn::Total));
    for (int col = GridColumn::FirstEngine; col <= lastEngineColumn(); ++col) {
        m_grid.setColWidth(col, w);
        m_grid.setTextMatrix(0, col, m_engines.gridHeader(col));
    }
    m_grid.makeCurrent(0, 0);

    const int count = m_domains.count();
    for (int missing = count + 3 - m_grid.Rows(); missing > 0; --missing)
        m_grid.AddItem(QString());

    for (int row = 1; row <= count; ++row) {
        m_grid.makeCurrent(row, 0);
        m_grid.setCellFontUnderline(true);
        m_grid.setCellForeColor(linkBlue);
        m_grid.setText(textFromBytes(m_domains.GetDomainField(row, 0)));
    }
    m_grid.setRedraw(true);
}

void DomainGrid::AddRow(const QString& domain, int& row)
{
    if (row == -1) {
        m_grid.AddItem(domain);
        row = m_grid.Rows() - 1;
    }
    m_grid.makeCurrent(row, 0);
    m_grid.setTextMatrix(row, 0, domain);
    m_grid.setCellFontUnderline(true);
    m_grid.setCellForeColor(linkBlue);
    for (int col = GridColumn::Total; col <= lastEngineColumn(); ++col) {
        m_grid.makeCurrent(row, col);
        m_grid.setText(QStringLiteral("0"));
    }
}

void DomainGrid::ResizeGrid()
{
    const int width = m_grid.Width();
    int used = 0;
    for (int col = 0; col <= m_grid.Cols() - 2; ++col)
        used += m_grid.ColWidth(col);
    if (used > width)
        return;
    m_grid.setColWidth(m_grid.Cols() - 1, width - used);
}
