#include "history/latestgraphfigures.h"

#include "history/historystore.h"

#include <algorithm>

namespace {

// Orders releases by age: the latest crawl each was built from, which the crawls' names give ("CC-MAIN-2026-17").
QString newestCrawl(const GraphRelease& release)
{
    const auto newest = std::max_element(release.crawls.cbegin(), release.crawls.cend());
    return newest == release.crawls.cend() ? QString() : *newest;
}

bool isNewer(const GraphRelease& candidate, const GraphRelease& held)
{
    const QString a = newestCrawl(candidate);
    const QString b = newestCrawl(held);
    // Releases are visited in the order they were stored; an undated one counts as the later.
    return a.isEmpty() || b.isEmpty() || a >= b;
}

} // namespace

QDateTime graphReleaseTime(const GraphRelease& release, const QDateTime& fallback)
{
    const QStringList parts = newestCrawl(release).split(u'-');
    bool yearRead = false;
    bool weekRead = false;
    const int year = parts.size() == 4 ? parts[2].toInt(&yearRead) : 0;
    const int week = parts.size() == 4 ? parts[3].toInt(&weekRead) : 0;
    if (!yearRead || !weekRead || year < 2000 || week < 1 || week > 53)
        return fallback;
    // Week 1 is the week that holds 4 January; weeks begin on Monday.
    const QDate fourth(year, 1, 4);
    const QDate firstMonday = fourth.addDays(1 - fourth.dayOfWeek());
    return QDateTime(firstMonday.addDays(7 * qint64(week - 1)), QTime(0, 0), Qt::UTC);
}

std::optional<QHash<QByteArray, LatestGraphFigures>> latestGraphFigures(HistoryStore& store,
                                                                        const QList<QByteArray>& domains)
{
    QHash<QByteArray, LatestGraphFigures> latest;
    const bool read = store.visitGraphFigures(
        domains, [&latest](const QByteArray& domain, const GraphRelease& release, const GraphFigures& figures) {
            const auto held = latest.constFind(domain);
            if (held == latest.cend() || isNewer(release, held->release))
                latest.insert(domain, {release, figures});
        });
    if (!read)
        return std::nullopt;
    return latest;
}
