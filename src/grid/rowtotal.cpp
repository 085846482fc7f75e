#include "grid/rowtotal.h"

#include "engine/counttext.h"
#include "engine/enginecatalogue.h"
#include "grid/gridcolumns.h"
#include "grid/gridcontrol.h"

qint64 rowTotal(const GridControl& grid, int row, const CountText& countText)
{
    qint64 total = 0;
    for (int col = GridColumn::FirstEngine; col < GridColumn::FirstEngine + EngineCount; ++col)
        total += countText.parseStored(grid.TextMatrix(row, col)).value_or(0);
    return total;
}

void writeRowTotal(GridControl& grid, int row, const CountText& countText)
{
    grid.setTextMatrix(row, GridColumn::Total, countText.format(rowTotal(grid, row, countText)));
}
