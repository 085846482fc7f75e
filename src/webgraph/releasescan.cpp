#include "webgraph/releasescan.h"

#include "webgraph/graphname.h"

#include <charconv>
#include <cstring>

namespace {

// The tab-separated fields of a line, up to count of them; fewer when the line has fewer.
template <std::size_t Count> std::size_t splitFields(QByteArrayView line, std::array<QByteArrayView, Count>& fields)
{
    const char* at = line.data();
    const char* end = at + line.size();
    std::size_t found = 0;
    while (found < Count) {
        const auto* tab = static_cast<const char*>(std::memchr(at, '\t', std::size_t(end - at)));
        const char* fieldEnd = tab ? tab : end;
        fields[found++] = QByteArrayView(at, fieldEnd - at);
        if (!tab)
            break;
        at = tab + 1;
    }
    return found;
}

template <typename Number> bool parseNumber(QByteArrayView text, Number& value)
{
    if (text.endsWith('\r'))
        text.chop(1);
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && !text.isEmpty();
}

bool isComment(QByteArrayView line)
{
    return line.isEmpty() || line.front() == '#';
}

} // namespace

ReleaseScan::ReleaseScan(const QList<QByteArray>& names)
{
    m_reversed.reserve(names.size());
    m_figures.reserve(names.size());
    for (const QByteArray& name : names) {
        m_reversed.append(GraphNames::reversed(name));
        GraphFigures figures;
        figures.name = name;
        m_figures.append(figures);
    }
    for (qsizetype i = 0; i < m_reversed.size(); ++i)
        m_byReversed.insert(QByteArrayView(m_reversed[i]), i);
}

bool ReleaseScan::rankLine(QByteArrayView line)
{
    if (isComment(line))
        return true;
    std::array<QByteArrayView, 6> fields;
    if (splitFields(line, fields) != fields.size())
        return false;
    ++m_rankedDomains;
    const auto wanted = m_byReversed.constFind(fields[4]);
    if (wanted == m_byReversed.cend())
        return true;
    GraphFigures& figures = m_figures[*wanted];
    figures.found = parseNumber(fields[0], figures.harmonicRank) && parseNumber(fields[1], figures.harmonicValue) &&
                    parseNumber(fields[2], figures.pageRankRank) && parseNumber(fields[3], figures.pageRankValue) &&
                    parseNumber(fields[5], figures.hosts);
    return figures.found;
}

bool ReleaseScan::vertexLine(QByteArrayView line)
{
    if (isComment(line))
        return true;
    std::array<QByteArrayView, 3> fields;
    if (splitFields(line, fields) < 2)
        return false;
    const auto wanted = m_byReversed.constFind(fields[1]);
    if (wanted == m_byReversed.cend())
        return true;
    qint64 id = 0;
    if (!parseNumber(fields[0], id) || id < 0)
        return false;
    m_byId.insert(id, *wanted);
    return true;
}

void ReleaseScan::beginEdges()
{
    qint64 largest = -1;
    for (auto it = m_byId.cbegin(); it != m_byId.cend(); ++it)
        largest = std::max(largest, it.key());
    m_wantedIds.assign(std::size_t(largest / 64 + 1), 0);
    for (auto it = m_byId.cbegin(); it != m_byId.cend(); ++it)
        m_wantedIds[std::size_t(it.key() / 64)] |= quint64(1) << (it.key() % 64);
    m_linking.assign(std::size_t(m_figures.size()), 0);
}

bool ReleaseScan::edgeLine(QByteArrayView line)
{
    if (isComment(line))
        return true;
    const auto* tab = static_cast<const char*>(std::memchr(line.data(), '\t', std::size_t(line.size())));
    if (!tab)
        return false;
    qint64 to = 0;
    if (!parseNumber(QByteArrayView(tab + 1, line.data() + line.size() - tab - 1), to) || to < 0)
        return false;
    const auto word = std::size_t(to / 64);
    if (word >= m_wantedIds.size() || !(m_wantedIds[word] & (quint64(1) << (to % 64))))
        return true;
    ++m_linking[std::size_t(m_byId.value(to))];
    return true;
}

void ReleaseScan::countLinkingDomains()
{
    for (qsizetype i = 0; i < m_figures.size(); ++i) {
        if (m_figures[i].found)
            m_figures[i].linkingDomains = m_linking[std::size_t(i)];
    }
}
