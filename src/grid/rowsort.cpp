#include "grid/rowsort.h"

#include "domains/domainlist.h"
#include "grid/domaingrid.h"

#include <QString>

#include <algorithm>
#include <numeric>
#include <vector>

std::optional<qint64> DomainGrid::cellNumber(int row, int col) const
{
    if (m_graphShown && col > lastSourceColumn()) {
        const LatestGraphFigures* latest = graphFiguresOf(row);
        if (!latest || !latest->figures.found)
            return std::nullopt;
        if (col == linkingDomainsColumn())
            return latest->figures.linkingDomains;
        if (col == linkingDomainsColumn() + 1)
            return latest->figures.harmonicRank;
        return std::nullopt;
    }
    if (col == GridColumn::Total)
        return m_domains.total(row);
    const int source = col - GridColumn::FirstEngine;
    if (source < 0 || source >= m_domains.sourceCount())
        return std::nullopt;
    return m_domains.countValue(row, source);
}

namespace {

// Rows stably sorted by a key each row has or lacks; those without one go last.
template <typename Key, typename Less>
QList<int> sortByKey(const std::vector<std::optional<Key>>& keys, Qt::SortOrder order, Less less)
{
    std::vector<int> rows(keys.size());
    std::iota(rows.begin(), rows.end(), 1);
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
        const std::optional<Key>& left = keys[std::size_t(a - 1)];
        const std::optional<Key>& right = keys[std::size_t(b - 1)];
        if (!left || !right)
            return left.has_value() && !right.has_value();
        return order == Qt::AscendingOrder ? less(*left, *right) : less(*right, *left);
    });
    return QList<int>(rows.begin(), rows.end());
}

} // namespace

QList<int> sortedRows(const DomainGrid& grid, int col, Qt::SortOrder order)
{
    const int rows = grid.rows();
    if (col == GridColumn::Domain) {
        // Folded once a row, so that a long list is not folded again at every comparison.
        std::vector<std::optional<QString>> keys(std::size_t(rows), std::nullopt);
        for (int row = 1; row <= rows; ++row) {
            if (!grid.domainOf(row).isEmpty())
                keys[std::size_t(row - 1)] = grid.cellText(row, GridColumn::Domain).toCaseFolded();
        }
        return sortByKey(keys, order, [](const QString& a, const QString& b) { return a < b; });
    }
    std::vector<std::optional<qint64>> keys(std::size_t(rows), std::nullopt);
    for (int row = 1; row <= rows; ++row)
        keys[std::size_t(row - 1)] = grid.cellNumber(row, col);
    return sortByKey(keys, order, [](qint64 a, qint64 b) { return a < b; });
}
