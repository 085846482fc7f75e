#include "grid/gridhittest.h"
#include "grid/gridwidget.h"

#include <gtest/gtest.h>

namespace {

struct Cell {
    int row;
    int col;
    bool operator==(const Cell&) const = default;
};

void PrintTo(const Cell& cell, std::ostream* out)
{
    *out << "(" << cell.row << ", " << cell.col << ")";
}

Cell cellAt(const GridWidget& grid, float x, float y)
{
    Cell cell{-9, -9};
    GetGridCellFromPoint(grid, x, y, cell.row, cell.col);
    return cell;
}

TEST(GetGridCellFromPoint, FindsTheCellUnderAPointInTwips)
{
    GridWidget grid;
    grid.setCols(8); // the domain, the total, five engines and the filler
    grid.resize(900, 400);
    grid.show();
    const int widths[] = {2010, 1005, 1005, 1005, 1005, 1005, 1005, 1005}; // whole pixels at 96 dpi
    for (int col = 0; col < 8; ++col)
        grid.setColWidth(col, widths[col]);
    const float header = static_cast<float>(grid.RowHeight(0));
    const float row = static_cast<float>(grid.RowHeight(1));

    const struct {
        float x;
        float y;
        Cell cell;
    } cases[] = {
        {0, 0, {1, 0}},                       // the header row counts as row 1
        {2011, header + 1, {1, 0}},           // 1 twip past an edge still belongs to the cell before it
        {2011.5f, header + 1.5f, {1, 1}},     // beyond that, the next one
        {100, header + row + 1.5f, {2, 0}},   //
        {3500, header + row / 2, {1, 2}},     //
        {8039, header + 3 * row + 2, {4, 6}}, //
        {8042, header + 3 * row - 1, {3, 7}}, //
        {1e6f, 1e6f, {grid.Rows() - 1, 7}},   // right of the last column, below the last row
    };
    for (const auto& c : cases)
        EXPECT_EQ(cellAt(grid, c.x, c.y), c.cell) << c.x << " " << c.y;
}

} // namespace
