#pragma once

#include <QString>

class DomainList;
class ListSession;

// The list's domains as the command line names them: read as the Add Domain prompt reads what is typed (a whole
// address names its host, letter case does not count).
class ListedDomains {
public:
    ListedDomains() = default; // knows no domain
    explicit ListedDomains(ListSession& session);

    // The row that shows the domain named, the first of them; -1 when no row of the list does.
    int rowOf(const QString& argument) const;

private:
    const DomainList* m_domains = nullptr;
};
