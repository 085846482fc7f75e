#include "grid/gridhittest.h"

#include "grid/gridcontrol.h"

namespace {

// The column or row a position falls in: each one adds its size only while in view (column 0 too, which the
// grid scrolls out of view when its columns are wider than the window), and a position beyond the last one
// gives the last one.
template <typename Size, typename InView> int indexAt(float position, int count, Size size, InView inView)
{
    int index = 0;
    float edge = inView(0) ? static_cast<float>(size(0)) : 0.0f;
    while (edge + 1 < position) {
        if (++index > count - 1)
            return count - 1;
        if (inView(index))
            edge += static_cast<float>(size(index));
    }
    return index;
}

} // namespace

void GetGridCellFromPoint(const GridControl& grid, float x, float y, int& row, int& col)
{
    col = indexAt(
        x, grid.Cols(), [&](int c) { return grid.ColWidth(c); }, [&](int c) { return grid.ColIsVisible(c); });
    row = indexAt(
        y, grid.Rows(), [&](int r) { return grid.RowHeight(r); }, [&](int r) { return grid.RowIsVisible(r); });
    if (row == 0)
        row = 1;
}
