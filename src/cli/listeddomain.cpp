#include "cli/listeddomain.h"

#include "cli/console.h"
#include "cli/terminaltext.h"

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

std::optional<QList<int>> ListedDomains::rowsNamed(const QStringList& arguments, const Console& console) const
{
    QList<int> rows;
    for (const QString& argument : arguments) {
        const int row = rowOf(argument);
        if (row < 0) {
            console.error(QStringLiteral("%1 is not in the list").arg(printableText(argument)));
            return std::nullopt;
        }
        if (!rows.contains(row))
            rows.append(row);
    }
    return rows;
}
