#pragma once

#include "grid/gridcolumns.h"
#include "grid/gridcontrol.h"

#include <QString>

class CountText;
class DomainList;
class EngineTables;

// The domain grid's layout and its exchange with the domain list. Grid row r (1 to the list's count) shows
// record r; column 0 holds the domain, column 1 the total, column i + 2 the count of engine i, and the last
// column is an empty filler. Blank rows follow the domains.
class DomainGrid {
public:
    DomainGrid(GridControl& grid, DomainList& domains, const EngineTables& engines, const CountText& countText);

    GridControl& grid() const { return m_grid; }

    // Layout (lays out columns, writes the domain column, adds rows so that two blank rows follow the list).
    void SetupUrlsGrid();
    // Puts a domain into the blank row given, or into a new last row when row is -1; row returns the row used.
    void AddRow(const QString& domain, int& row);
    // Gives the filler column the width the other columns leave.
    void ResizeGrid();

    // Exchange with the domain list.
    // Rebuilds records 1 to the list's count from their rows, writing "0" into empty engine cells.
    void CaptureUrlsData();
    // The same for one row, whose record must exist.
    void captureRow(int row);
    void DisplayUrlsData();
    // The first row whose domain equals name, letter case ignored, or -1; firstBlankRow gets the first blank
    // row before it (or in the whole grid when none matches), -1 when there is none.
    int FindEngineInGrid(const QString& name, int& firstBlankRow) const;
    QByteArray RetrieveResultFromGrid(int row) const;

private:
    int lastEngineColumn() const { return m_grid.Cols() - 2; }

    GridControl& m_grid;
    DomainList& m_domains;
    const EngineTables& m_engines;
    const CountText& m_countText;
};
