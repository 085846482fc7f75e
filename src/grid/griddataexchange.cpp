#include "grid/domaingrid.h"

#include "domains/domainlist.h"
#include "engine/bytetext.h"
#include "engine/counttext.h"

namespace {

constexpr CellColour white{255, 255, 255};

} // namespace

void DomainGrid::CaptureUrlsData()
{
    const int count = m_domains.count();
    for (int row = 1; row <= count; ++row) {
        if (m_domains.fillMissingCounts(row))
            showRows(row, row);
    }
}

void DomainGrid::DisplayUrlsData()
{
    if (!m_grid)
        return;
    m_grid->setRedraw(false);
    const int count = m_domains.count();
    for (int row = 1; row <= count; ++row) {
        for (int col = 0; col <= lastColumn(); ++col) {
            m_grid->makeCurrent(row, col);
            m_grid->setCellBackColor(white);
        }
    }
    showRows(1, count);
    m_grid->setRedraw(true);
}

void DomainGrid::showRows(int firstRow, int lastRow)
{
    if (!m_grid || firstRow > lastRow)
        return;
    // Each column is fitted to its widest text: a count's width goes with its digits, so the largest count is
    // the widest, unless a text that is no count is wider; the longest domain is the widest domain.
    int longestDomain = firstRow;
    qint64 largestTotal = 0;
    QList<qint64> largest(m_domains.sourceCount(), 0);
    for (int row = firstRow; row <= lastRow; ++row) {
        if (m_domains.domain(row).size() > m_domains.domain(longestDomain).size())
            longestDomain = row;
        largestTotal = std::max(largestTotal, m_domains.total(row));
        for (int source = 0; source < m_domains.sourceCount(); ++source) {
            if (const std::optional<qint64> count = m_domains.countValue(row, source))
                largest[source] = std::max(largest[source], *count);
            else if (m_domains.countState(row, source) == DomainList::CountState::Unread)
                m_grid->fitColumn(GridColumn::FirstEngine + source, cellText(row, GridColumn::FirstEngine + source));
        }
    }
    m_grid->fitColumn(GridColumn::Domain, cellText(longestDomain, GridColumn::Domain));
    m_grid->fitColumn(GridColumn::Total, m_countText.format(largestTotal));
    for (int source = 0; source < m_domains.sourceCount(); ++source)
        m_grid->fitColumn(GridColumn::FirstEngine + source, m_countText.format(largest[source]));
    fitGraphColumns(firstRow, lastRow);
    m_grid->cellsChanged(firstRow, lastRow, GridColumn::Domain, lastColumn());
}

void DomainGrid::setCount(int row, int source, qint64 count)
{
    m_domains.setCount(row, source, count);
    if (!m_grid)
        return;
    // Only the count's cell and the total change.
    const int col = GridColumn::FirstEngine + source;
    m_grid->fitColumn(col, cellText(row, col));
    m_grid->fitColumn(GridColumn::Total, cellText(row, GridColumn::Total));
    m_grid->cellsChanged(row, row, GridColumn::Total, col);
}

int DomainGrid::FindEngineInGrid(const QString& name, int& firstBlankRow) const
{
    const int found = m_domains.findDomain(name);
    // The first blank row before it, or in the whole grid: a blank record, or the first row after the list.
    const int rows = m_grid ? m_grid->Rows() : m_domains.count() + 1;
    const int before = found == -1 ? rows : found;
    firstBlankRow = -1;
    for (int row = 1; row < before && firstBlankRow == -1; ++row) {
        if (row > m_domains.count() || domainOf(row).isEmpty())
            firstBlankRow = row;
    }
    return found;
}

int DomainGrid::rows() const
{
    return m_domains.count();
}

QByteArrayView DomainGrid::domainOf(int row) const
{
    return m_domains.domain(row);
}

QString DomainGrid::cellText(int row, int col) const
{
    if (m_graphShown && col > lastSourceColumn())
        return graphCellText(row, col);
    if (col == GridColumn::Domain)
        return textFromBytes(m_domains.domain(row));
    if (col == GridColumn::Total)
        return m_countText.format(m_domains.total(row));
    const int source = col - GridColumn::FirstEngine;
    if (source < 0 || source >= m_domains.sourceCount())
        return {};
    // A count in the user's locale, whatever form the file holds it in; text that is no count as it stands.
    if (const std::optional<qint64> count = m_domains.countValue(row, source))
        return m_countText.format(*count);
    return textFromBytes(m_domains.countText(row, source));
}
