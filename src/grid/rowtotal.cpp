#include "grid/rowtotal.h"

#include "engine/counttext.h"
#include "engine/enginecatalogue.h"
#include "grid/gridcolumns.h"
#include "grid/gridcontrol.h"

void writeRowTotal(GridControl& grid, int row, const CountText& countText)
{
    qint64 total = 0;
    for (int col = GridColumn::FirstEngine; col < GridColumn::FirstEngine + EngineCount; ++col)
        total += countText.parseStored(grid.TextMatrix(row, col)).value_or(0);
    grid.setTextMatrix(row, GridColumn::Total, countText.format(total));
}
