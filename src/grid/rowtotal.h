#pragma once

#include <QtGlobal>

class CountText;
class GridControl;

// The sum of the counts that the row's five engine cells show. A cell without a count (empty, or text that is no
// count) adds 0, so the Total always adds up what the row shows.
qint64 rowTotal(const GridControl& grid, int row, const CountText& countText);

// Writes rowTotal() into the row's Total cell.
void writeRowTotal(GridControl& grid, int row, const CountText& countText);
