#pragma once

#include <QHash>
#include <QString>

class ListSession;

// The rows of the list's domains by name, built once, so that naming a thousand domains of a long list costs a
// lookup each. A domain named on the command line is read as the Add Domain prompt reads what is typed (a whole
// address names its host, letter case does not count).
class ListedDomains {
public:
    ListedDomains() = default; // knows no domain
    explicit ListedDomains(ListSession& session);

    // The row that shows the domain named, the first of them; -1 when no row of the list does.
    int rowOf(const QString& argument) const;

private:
    QHash<QString, int> m_rows;
};
