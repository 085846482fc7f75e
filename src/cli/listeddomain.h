#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class Console;

class DomainList;
class ListSession;

// The list's domains as the command line names them. A domain is named by its bytes, by its text (letter case does
// not count), as the Add Domain prompt reads what is typed (a whole address names its host), or as show prints it,
// escapes and all: lat\xe9n.com names the domain that holds the Latin-1 byte E9, which a UTF-8 terminal cannot type.
class ListedDomains {
public:
    ListedDomains() = default; // knows no domain
    explicit ListedDomains(ListSession& session);

    // The row that shows the domain named, the first of them; -1 when no row of the list does.
    int rowOf(const QString& argument) const;
    // The rows of the domains named, each once, in the order named; nothing, after notListedText() on the console,
    // when one of them is not listed.
    std::optional<QList<int>> rowsNamed(const QStringList& arguments, const Console& console) const;
    // "… is not in the list", and the name to use instead when a listed domain differs from the argument only in
    // how its text is held (Latin-1 bytes for UTF-8 text, say) or in characters a terminal does not show.
    QString notListedText(const QString& argument) const;

private:
    int rowOfEscaped(const QString& text) const;

    const DomainList* m_domains = nullptr;
    // The domains whose printed form differs from their text, by that form in lower case; made when first asked.
    mutable QHash<QString, int> m_escaped;
    mutable bool m_escapedIndexed = false;
};
