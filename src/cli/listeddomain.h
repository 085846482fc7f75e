#pragma once

#include <QString>

class DomainGrid;
class DomainList;

// The row of the list that shows a domain named on the command line, which is read as the Add Domain prompt
// reads what is typed (a whole address names its host, letter case does not count); -1 when no row does.
int rowOfListedDomain(const DomainGrid& grid, const DomainList& domains, const QString& argument);
