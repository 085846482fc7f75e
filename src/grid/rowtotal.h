#pragma once

class CountText;
class GridControl;

// Writes into the row's Total cell the sum of the counts its five engine cells show. A cell without a count
// (empty, or text that is no count) adds 0, so the Total always adds up what the row shows.
void writeRowTotal(GridControl& grid, int row, const CountText& countText);
