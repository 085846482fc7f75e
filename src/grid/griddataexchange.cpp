#include "grid/domaingrid.h"

#include "domains/domainlist.h"
#include "engine/bytetext.h"
#include "engine/counttext.h"
#include "engine/enginecatalogue.h"
#include "grid/rowtotal.h"

namespace {

constexpr CellColour white{255, 255, 255};

} // namespace

void DomainGrid::CaptureUrlsData()
{
    const int count = m_domains.count();
    for (int row = 1; row <= count; ++row)
        captureRow(row);
}

void DomainGrid::captureRow(int row)
{
    // A row that still shows what its record holds keeps the record as it stands, byte for byte, with whatever
    // spacing, prefix or field names it was written with.
    bool unchanged = true;
    const auto cellBytes = [&](int col, int field) {
        const QString text = m_grid.TextMatrix(row, col);
        unchanged = unchanged && text == textFromBytes(m_domains.GetDomainField(row, field));
        return bytesFromText(text);
    };
    QByteArray record = cellBytes(GridColumn::Domain, 0) + '|';
    for (int col = GridColumn::FirstEngine; col <= lastEngineColumn(); ++col) {
        if (m_grid.TextMatrix(row, col).isEmpty())
            m_grid.setTextMatrix(row, col, QStringLiteral("0"));
        record += bytesFromText(m_engines.gridHeader(col)) + '=' + cellBytes(col, col - 1) + '|';
    }
    if (!unchanged)
        m_domains.setEntry(row, std::move(record));
}

void DomainGrid::DisplayUrlsData()
{
    m_grid.setRedraw(false);
    const int count = m_domains.count();
    for (int row = 1; row <= count; ++row) {
        for (int col = 0; col <= lastEngineColumn(); ++col) {
            m_grid.makeCurrent(row, col);
            m_grid.setCellBackColor(white);
        }
    }
    for (int row = 1; row <= count; ++row) {
        // Stored counts are shown as stored; one that is not a whole number adds nothing to the total.
        for (int col = GridColumn::FirstEngine; col <= lastEngineColumn(); ++col)
            m_grid.setTextMatrix(row, col, textFromBytes(m_domains.GetDomainField(row, col - 1)));
        writeRowTotal(m_grid, row, m_countText);
    }
    m_grid.setRedraw(true);
}

int DomainGrid::FindEngineInGrid(const QString& name, int& firstBlankRow) const
{
    firstBlankRow = -1;
    const QString wanted = name.toLower();
    const int rows = m_grid.Rows();
    for (int row = 1; row < rows; ++row) {
        const QString domain = m_grid.TextMatrix(row, GridColumn::Domain);
        if (domain.toLower() == wanted)
            return row;
        if (domain.isEmpty() && firstBlankRow == -1)
            firstBlankRow = row;
    }
    return -1;
}

QByteArray DomainGrid::RetrieveResultFromGrid(int /*row*/) const
{
    return {};
}
