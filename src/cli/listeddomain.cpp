#include "cli/listeddomain.h"

#include "domains/domaintext.h"
#include "engine/bytetext.h"
#include "workflows/listsession.h"

ListedDomains::ListedDomains(ListSession& session)
{
    const DomainList& domains = session.domains();
    for (int row = domains.count(); row >= 1; --row)
        m_rows.insert(textFromBytes(domains.domain(row)).toLower(), row);
}

int ListedDomains::rowOf(const QString& argument) const
{
    const NormalisedDomain named = NormaliseDomain(typedDomainText(argument));
    if (named.result != AddDomainResult::AddOk)
        return -1;
    return m_rows.value(textFromBytes(named.domain).toLower(), -1);
}
