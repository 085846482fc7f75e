#pragma once

#include "grid/gridcellsource.h"
#include "grid/gridcolumns.h"
#include "grid/gridcontrol.h"
#include "values/graphfigures.h"

#include <QHash>

#include <QByteArrayView>
#include <QString>

#include <optional>

class CountText;
class DomainList;
class EngineTables;

// The domain grid's layout and the list it shows. Grid row r (1 to the list's count) shows record r: column 0
// its domain, column 1 its total, column i + 2 the count of source i, each formatted in the user's locale when
// the grid draws or reads it; once a web graph release was read, "Linking Domains" and "Web Rank" follow the
// counts (the total stays the sum of the counts); the last column is an empty filler. Blank rows follow the domains.
// Without a grid (the command line) the list is all there is, and the layout does nothing.
class DomainGrid final : public GridCellSource {
public:
    // The grid reads its rows from here from now on: it is not drawn or read once this is gone.
    DomainGrid(GridControl* grid, DomainList& domains, const EngineTables& engines, const CountText& countText);

    GridControl* grid() const { return m_grid; }
    DomainList& domains() const { return m_domains; }

    // Layout (lays out columns, shows the list's rows, adds rows so that two blank rows follow the list).
    void SetupUrlsGrid();
    // Makes the grid show the list's new last record in row, a blank row after the list, or in a new last row
    // when row is -1; row returns the row used.
    void AddRow(int& row);
    // Gives the filler column the width the other columns leave.
    void ResizeGrid();

    // Writes 0 into every count field of the list that holds neither a count nor text, as the grid shows it.
    void CaptureUrlsData();
    // Shows every record's cells again, on a white background.
    void DisplayUrlsData();
    // Writes a source's count into a row's record and shows it, with the row's new total.
    void setCount(int row, int source, qint64 count);
    // The row of the domain named, letter case ignored, or -1; firstBlankRow gets the first blank row before it
    // (or in the whole grid when none matches), -1 when there is none.
    int FindEngineInGrid(const QString& name, int& firstBlankRow) const;

    // The web graph's figures of the listed domains, by their bytes: the grid gains its two columns for them
    // when there are any (and is laid out again), and shows the figures of the domains they name.
    void setGraphFigures(QHash<QByteArray, LatestGraphFigures> figures);
    // The column of the linking domains, -1 while the grid shows none; the web rank's follows it.
    int linkingDomainsColumn() const;

    // The rows that show records, and what a row shows.
    int rows() const override;
    QString cellText(int row, int col) const override;
    // The web rank's position among all the release's domains and the release it comes from.
    QString cellToolTip(int row, int col) const override;
    // Row row's domain in the list's bytes; empty for a blank row.
    QByteArrayView domainOf(int row) const;
    // The number a cell of the total, a count or a web graph column shows; none when it shows no count (an
    // empty cell, text that is no count, a domain the web graph does not hold).
    std::optional<qint64> cellNumber(int row, int col) const;

private:
    int lastSourceColumn() const;
    // The last column before the filler.
    int lastColumn() const;
    void showRows(int firstRow, int lastRow);
    const LatestGraphFigures* graphFiguresOf(int row) const;
    QString graphCellText(int row, int col) const;
    void fitGraphColumns(int firstRow, int lastRow);
    static QStringList graphColumnTitles();

    GridControl* m_grid;
    DomainList& m_domains;
    const EngineTables& m_engines;
    const CountText& m_countText;
    QHash<QByteArray, LatestGraphFigures> m_graph;
    bool m_graphShown = false;
};
