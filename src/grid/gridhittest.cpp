#include "grid/gridhittest.h"

#include "grid/gridcontrol.h"

void GetGridCellFromPoint(const GridControl& grid, float x, float y, int& row, int& col)
{
    col = 0;
    float edge = static_cast<float>(grid.ColWidth(0));
    while (edge + 1 < x) {
        ++col;
        if (col > grid.Cols() - 1) {
            col = grid.Cols() - 1;
            break;
        }
        if (grid.ColIsVisible(col))
            edge += static_cast<float>(grid.ColWidth(col));
    }

    row = 0;
    edge = static_cast<float>(grid.RowHeight(0));
    while (edge + 1 < y) {
        ++row;
        if (row > grid.Rows() - 1) {
            row = grid.Rows() - 1;
            break;
        }
        if (grid.RowIsVisible(row))
            edge += static_cast<float>(grid.RowHeight(row));
    }
    if (row == 0)
        row = 1;
}
