#pragma once

#include <QList>
#include <QtCore/qnamespace.h>

class DomainGrid;

// The rows of the list (1 to its count) in the order that sorting by column col puts them, first row first.
// Domains compare by their text as the grid shows it, letter case ignored; the total, the counts and the web
// graph's columns by the number their cells show. A row whose cell holds nothing to compare (a blank domain, a
// cell without a count) comes after the others in either order. Rows that compare equal keep their order.
QList<int> sortedRows(const DomainGrid& grid, int col, Qt::SortOrder order);
