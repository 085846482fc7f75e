#include "cli/listeddomain.h"

#include "cli/console.h"
#include "cli/terminaltext.h"

#include "domains/domaintext.h"
#include "engine/bytetext.h"
#include "workflows/listsession.h"

using namespace Qt::StringLiterals;

namespace {

// The text with the differences that a person cannot see or type removed: a byte that is not UTF-8 read as Latin-1,
// control characters, bidirectional controls and byte-order marks dropped, composed characters, lower case.
QString lookalikeKey(const QString& text)
{
    QString key;
    key.reserve(text.size());
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar unit = text[at];
        const char16_t c = unit.unicode();
        const bool strayByte = c >= 0xDC80 && c <= 0xDCFF && !(at > 0 && text[at - 1].isHighSurrogate());
        if (strayByte)
            key += QChar(c - 0xDC00);
        else if (c != 0xFEFF && (unit.isSurrogate() || printableText(QStringView(&unit, 1)) == unit))
            key += unit;
    }
    return key.normalized(QString::NormalizationForm_C).toLower();
}

} // namespace

ListedDomains::ListedDomains(ListSession& session)
    : m_domains(&session.domains())
{
}

int ListedDomains::rowOf(const QString& argument) const
{
    if (!m_domains || argument.trimmed().isEmpty())
        return -1;
    // The bytes as the list holds them, whatever they are.
    if (const int row = m_domains->findDomain(argument); row > 0)
        return row;
    const NormalisedDomain named = NormaliseDomain(typedDomainText(argument));
    if (named.result == AddDomainResult::AddOk) {
        if (const int row = m_domains->findDomain(textFromBytes(named.domain)); row > 0)
            return row;
        if (const int row = rowOfEscaped(textFromBytes(named.domain)); row > 0)
            return row;
    }
    return rowOfEscaped(argument.trimmed());
}

int ListedDomains::rowOfEscaped(const QString& text) const
{
    if (!text.contains(u'\\'))
        return -1;
    if (!m_escapedIndexed) {
        for (int row = m_domains->count(); row >= 1; --row) {
            const QString domain = textFromBytes(m_domains->domain(row));
            const QString printed = printableText(domain);
            if (printed != domain)
                m_escaped.insert(printed.toLower(), row); // from the end, so that the first row stays
        }
        m_escapedIndexed = true;
    }
    return m_escaped.value(text.toLower(), -1);
}

QString ListedDomains::notListedText(const QString& argument) const
{
    const QString printed = printableText(argument);
    const QString notListed = u"%1 is not in the list"_s.arg(printed);
    if (!m_domains)
        return notListed;
    const NormalisedDomain named = NormaliseDomain(typedDomainText(argument));
    const QString key =
        lookalikeKey(named.result == AddDomainResult::AddOk ? textFromBytes(named.domain) : argument.trimmed());
    if (key.isEmpty())
        return notListed;
    for (int row = 1; row <= m_domains->count(); ++row) {
        const QString domain = textFromBytes(m_domains->domain(row));
        if (lookalikeKey(domain) == key && printableText(domain) != printed)
            return notListed + u"; did you mean %1? The list holds it in other bytes: name it as written here"_s.arg(
                                   printableText(domain));
    }
    return notListed;
}

std::optional<QList<int>> ListedDomains::rowsNamed(const QStringList& arguments, const Console& console) const
{
    QList<int> rows;
    for (const QString& argument : arguments) {
        const int row = rowOf(argument);
        if (row < 0) {
            console.error(notListedText(argument));
            return std::nullopt;
        }
        if (!rows.contains(row))
            rows.append(row);
    }
    return rows;
}
