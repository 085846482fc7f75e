#include "cli/listeddomain.h"

#include "domains/domaintext.h"
#include "engine/bytetext.h"
#include "workflows/listsession.h"

ListedDomains::ListedDomains(ListSession& session)
    : m_domains(&session.domains())
{
}

int ListedDomains::rowOf(const QString& argument) const
{
    const NormalisedDomain named = NormaliseDomain(typedDomainText(argument));
    if (named.result != AddDomainResult::AddOk || !m_domains)
        return -1;
    return m_domains->findDomain(textFromBytes(named.domain));
}
