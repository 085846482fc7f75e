#pragma once

#include <QList>
#include <QString>

class GridControl;

// Cells of the grid as tab-separated text, as a spreadsheet pastes it: a line of the columns' captions, then a
// line a row, each cell's text as the grid shows it, every line ended by "\n". A tab, CR or LF inside a text
// becomes a space, so that it cannot split a cell or a line; a byte that is no UTF-8 becomes U+FFFD, the
// character the grid draws for it. Rows and columns are taken in the order given.
QString tableCopyText(const GridControl& grid, const QList<int>& rows, const QList<int>& cols);
