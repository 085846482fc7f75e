#include "grid/domaingrid.h"

#include "domains/domainlist.h"
#include "engine/counttext.h"

#include <QLocale>

using namespace Qt::StringLiterals;

QStringList DomainGrid::graphColumnTitles()
{
    return {u"Linking Domains"_s, u"Web Rank"_s};
}

int DomainGrid::linkingDomainsColumn() const
{
    return m_graphShown ? lastSourceColumn() + 1 : -1;
}

void DomainGrid::setGraphFigures(QHash<QByteArray, LatestGraphFigures> figures)
{
    m_graph = std::move(figures);
    const bool shown = !m_graph.isEmpty();
    if (shown == m_graphShown) {
        if (m_grid)
            showRows(1, m_domains.count());
        return;
    }
    m_graphShown = shown;
    if (!m_grid)
        return;
    // The columns change: the grid is laid out again, with the current cell where it was.
    const int row = m_grid->Row();
    const int col = m_grid->Col();
    SetupUrlsGrid();
    DisplayUrlsData();
    m_grid->makeCurrent(row, std::min(col, m_grid->Cols() - 2));
}

const LatestGraphFigures* DomainGrid::graphFiguresOf(int row) const
{
    const auto found = m_graph.constFind(m_domains.domain(row).toByteArray());
    return found == m_graph.cend() ? nullptr : &*found;
}

QString DomainGrid::graphCellText(int row, int col) const
{
    const LatestGraphFigures* latest = graphFiguresOf(row);
    if (!latest)
        return {};
    const GraphFigures& figures = latest->figures;
    if (col == linkingDomainsColumn())
        return figures.found && figures.linkingDomains ? m_countText.format(*figures.linkingDomains) : QString();
    if (col == linkingDomainsColumn() + 1)
        return figures.found ? m_countText.format(figures.harmonicRank) : u"not in the graph"_s;
    return {};
}

QString DomainGrid::cellToolTip(int row, int col) const
{
    if (!m_graphShown || col < linkingDomainsColumn() || col > linkingDomainsColumn() + 1)
        return {};
    const LatestGraphFigures* latest = graphFiguresOf(row);
    if (!latest)
        return {};
    const GraphFigures& figures = latest->figures;
    const QLocale& locale = m_countText.locale();
    const QString release = latest->release.id;
    if (!figures.found) {
        const QString name = figures.name.isEmpty() ? u"This domain"_s : QString::fromLatin1(figures.name);
        return u"%1 is not in the web graph (%2)"_s.arg(name, release);
    }
    const QString name = QString::fromLatin1(figures.name);
    if (col == linkingDomainsColumn()) {
        return figures.linkingDomains
                   ? u"%1 other domains link to %2 (%3)"_s.arg(locale.toString(*figures.linkingDomains), name, release)
                   : u"Linking domains of %1 were not counted (%2)"_s.arg(name, release);
    }
    QString text = u"%1: position %2"_s.arg(name, locale.toString(figures.harmonicRank));
    if (latest->release.domains > 0) {
        const double share = 100.0 * double(figures.harmonicRank) / double(latest->release.domains);
        text += u" of %1, top %2 %"_s.arg(locale.toString(latest->release.domains), locale.toString(share, 'g', 2));
    }
    return text + u" by harmonic centrality (%1)"_s.arg(release);
}

void DomainGrid::fitGraphColumns(int firstRow, int lastRow)
{
    if (!m_grid || !m_graphShown)
        return;
    // The longest text of each column is its widest: digits are alike in width.
    for (const int col : {linkingDomainsColumn(), linkingDomainsColumn() + 1}) {
        QString longest;
        for (int row = firstRow; row <= lastRow; ++row) {
            const QString text = graphCellText(row, col);
            if (text.size() > longest.size())
                longest = text;
        }
        m_grid->fitColumn(col, longest);
    }
}
