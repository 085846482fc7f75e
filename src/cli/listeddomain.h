#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class Console;

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
    // The rows of the domains named, each once, in the order named; nothing, after "… is not in the list" on the
    // console, when one of them is not listed.
    std::optional<QList<int>> rowsNamed(const QStringList& arguments, const Console& console) const;

private:
    const DomainList* m_domains = nullptr;
};
