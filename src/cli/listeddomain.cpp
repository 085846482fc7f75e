#include "cli/listeddomain.h"

#include "domains/domaintext.h"
#include "engine/bytetext.h"
#include "grid/gridcolumns.h"
#include "workflows/listsession.h"

ListedDomains::ListedDomains(ListSession& session)
{
    const GridControl& grid = session.grid().grid();
    for (int row = session.domains().count(); row >= 1; --row)
        m_rows.insert(grid.TextMatrix(row, GridColumn::Domain).toLower(), row);
}

int ListedDomains::rowOf(const QString& argument) const
{
    const NormalisedDomain named = NormaliseDomain(typedDomainText(argument));
    if (named.result != AddDomainResult::AddOk)
        return -1;
    return m_rows.value(textFromBytes(named.domain).toLower(), -1);
}
