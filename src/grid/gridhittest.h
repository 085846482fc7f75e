#pragma once

class GridControl;

// The cell under a point given in twips from the grid's top-left corner. Columns and rows scrolled out of view
// add no width or height, so the cell found is the one drawn under the point; the header row is always in view.
// A point up to 1 twip past an edge still belongs to the cell before it; a point right of the last column or
// below the last row gives that column or row, and a point on the header row gives row 1.
void GetGridCellFromPoint(const GridControl& grid, float x, float y, int& row, int& col);
