#include "cli/listeddomain.h"

#include "domains/domainlist.h"
#include "domains/domaintext.h"
#include "engine/bytetext.h"
#include "grid/domaingrid.h"

int rowOfListedDomain(const DomainGrid& grid, const DomainList& domains, const QString& argument)
{
    const NormalisedDomain named = NormaliseDomain(typedDomainText(argument));
    if (named.result != AddDomainResult::AddOk)
        return -1;
    int firstBlankRow = -1;
    const int row = grid.FindEngineInGrid(textFromBytes(named.domain), firstBlankRow);
    return row <= domains.count() ? row : -1;
}
