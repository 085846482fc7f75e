#include "grid/domainsearch.h"

#include "grid/gridcontrol.h"

int findDomainRow(const GridControl& grid, const QString& text, int fromRow, SearchDirection direction)
{
    const int rows = grid.Rows() - 1; // below the header
    if (text.isEmpty() || rows < 1)
        return 0;
    const int step = direction == SearchDirection::Forward ? 1 : rows - 1;
    const int start =
        fromRow >= 1 && fromRow <= rows ? fromRow - 1 : (direction == SearchDirection::Forward ? rows - 1 : 0);
    for (int k = 1, index = start; k <= rows; ++k) {
        index = (index + step) % rows;
        const QString domain = grid.TextMatrix(index + 1, 0);
        if (!domain.isEmpty() && domain.contains(text, Qt::CaseInsensitive))
            return index + 1;
    }
    return 0;
}
