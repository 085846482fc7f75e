#pragma once

#include <QString>

class GridControl;

// Which way a search goes from the row it starts at.
enum class SearchDirection { Forward, Backward };

// The first domain row after (or before) fromRow whose domain contains text, ignoring letter case, going round
// the list's end; fromRow itself comes last. 0 when no domain contains it, or text is empty. Domain rows are
// the rows below the header whose first cell is not empty.
int findDomainRow(const GridControl& grid, const QString& text, int fromRow, SearchDirection direction);
