// What the releases of the web graph say of the listed domains: kept once a release and domain, and read back
// domain by domain.

#include "history/historyschema.h"
#include "history/historystore.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <limits>

using namespace Qt::StringLiterals;
using namespace history;

namespace {

// What a release and a domain's figures may take at most, the journal's copy of the page included.
constexpr qint64 ReleaseRoom = 4 * 1024;
constexpr qint64 FiguresRoom = 512;

// A text or blob for a NOT NULL column: an empty one, where Qt binds a null one as NULL.
QVariant notNull(const QString& text)
{
    return text.isNull() ? QVariant(u""_s) : QVariant(text);
}

QVariant notNull(const QByteArray& bytes)
{
    return bytes.isNull() ? QVariant(QByteArray("")) : QVariant(bytes);
}

// A value for a column that is NULL without one.
template <typename T> QVariant orNull(bool present, T value)
{
    return present ? QVariant(value) : QVariant(QMetaType::fromType<T>());
}

// The release of a row whose columns from first on are name, crawls, domains and links.
GraphRelease readRelease(const QSqlQuery& query, int first)
{
    return {query.value(first).toString(), query.value(first + 1).toString().split(u' ', Qt::SkipEmptyParts),
            query.value(first + 2).toLongLong(), query.value(first + 3).toLongLong()};
}

// The figures of a row whose columns from first on are name, found, harmonic_rank, harmonic_value, pagerank_rank,
// pagerank_value, hosts, linking_domains and read_at.
GraphFigures readFigures(const QSqlQuery& query, int first)
{
    GraphFigures figures;
    figures.name = query.value(first).toByteArray();
    figures.found = query.value(first + 1).toInt() != 0;
    if (figures.found) {
        figures.harmonicRank = query.value(first + 2).toLongLong();
        figures.harmonicValue = query.value(first + 3).toDouble();
        figures.pageRankRank = query.value(first + 4).toLongLong();
        figures.pageRankValue = query.value(first + 5).toDouble();
        figures.hosts = query.value(first + 6).toLongLong();
    }
    if (!query.isNull(first + 7))
        figures.linkingDomains = query.value(first + 7).toLongLong();
    figures.readAt = utcFromMs(query.value(first + 8).toLongLong());
    return figures;
}

// The columns that readFigures() reads, of the table named as given.
QString figuresColumns(const QString& table = {})
{
    QStringList columns{u"name"_s,           u"found"_s, u"harmonic_rank"_s,   u"harmonic_value"_s, u"pagerank_rank"_s,
                        u"pagerank_value"_s, u"hosts"_s, u"linking_domains"_s, u"read_at"_s};
    if (!table.isEmpty()) {
        for (QString& column : columns)
            column.prepend(table + u'.');
    }
    return columns.join(u", "_s);
}

} // namespace

bool HistoryStore::recordGraphRelease(const GraphRelease& release,
                                      const QList<std::pair<QByteArray, GraphFigures>>& figures)
{
    if (!m_open || !m_writable || !ensureRoom(ReleaseRoom + FiguresRoom * figures.size()))
        return false;
    const auto writes = [&] {
        const std::optional<qint64> id = graphReleaseId(release);
        if (!id)
            return false;
        for (const auto& [domain, domainFigures] : figures) {
            if (!insertGraphFigures(*id, domain, domainFigures))
                return false;
        }
        return true;
    };
    return m_inTransaction ? writes() : transaction(writes);
}

std::optional<qint64> HistoryStore::graphReleaseId(const GraphRelease& release)
{
    // A release kept before stays as it was kept.
    QSqlQuery* insert =
        prepared(u"INSERT OR IGNORE INTO graph_release(name, crawls, domains, links) VALUES (?, ?, ?, ?)"_s);
    QSqlQuery* select = insert ? prepared(u"SELECT id FROM graph_release WHERE name = ?"_s) : nullptr;
    if (!select)
        return std::nullopt;
    insert->bindValue(0, release.id);
    insert->bindValue(1, notNull(release.crawls.join(u' ')));
    insert->bindValue(2, release.domains);
    insert->bindValue(3, release.links);
    if (!insert->exec()) {
        failWith(insert->lastError());
        return std::nullopt;
    }
    select->bindValue(0, release.id);
    if (!select->exec() || !select->next()) {
        failWith(select->lastError());
        return std::nullopt;
    }
    const qint64 id = select->value(0).toLongLong();
    select->finish();
    return id;
}

bool HistoryStore::insertGraphFigures(qint64 releaseId, const QByteArray& domain, const GraphFigures& figures)
{
    const std::optional<qint64> domainRow = domainId(domain);
    if (!domainRow)
        return false;
    // Figures kept before stay; only a count of linking domains that was not made then is added.
    QSqlQuery* query =
        prepared(u"INSERT INTO graph_figures(release, domain, %1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                 u"ON CONFLICT(release, domain) DO UPDATE SET linking_domains = excluded.linking_domains "
                 u"WHERE linking_domains IS NULL AND excluded.linking_domains IS NOT NULL"_s.arg(figuresColumns()));
    if (!query)
        return false;
    const bool found = figures.found;
    query->bindValue(0, releaseId);
    query->bindValue(1, *domainRow);
    query->bindValue(2, notNull(figures.name));
    query->bindValue(3, found ? 1 : 0);
    query->bindValue(4, orNull(found, figures.harmonicRank));
    query->bindValue(5, orNull(found, figures.harmonicValue));
    query->bindValue(6, orNull(found, figures.pageRankRank));
    query->bindValue(7, orNull(found, figures.pageRankValue));
    query->bindValue(8, orNull(found, figures.hosts));
    query->bindValue(9, orNull(figures.linkingDomains.has_value(), figures.linkingDomains.value_or(0)));
    query->bindValue(10, msSinceEpoch(figures.readAt));
    if (!query->exec())
        return failWith(query->lastError());
    query->finish();
    return true;
}

bool HistoryStore::readTransaction(const std::function<bool()>& reads)
{
    if (m_inTransaction)
        return reads();
    if (!exec(u"BEGIN"_s))
        return false;
    m_inTransaction = true;
    if (!reads())
        return false;
    m_inTransaction = false;
    return exec(u"COMMIT"_s);
}

bool HistoryStore::readGraphReleases(QHash<qint64, GraphRelease>& releases, QList<qint64>& order)
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.exec(u"SELECT id, name, crawls, domains, links FROM graph_release ORDER BY id"_s))
        return failWith(query.lastError());
    while (query.next()) {
        const qint64 id = query.value(0).toLongLong();
        releases.insert(id, readRelease(query, 1));
        order.append(id);
    }
    return true;
}

QList<GraphRelease> HistoryStore::graphReleases()
{
    QHash<qint64, GraphRelease> releases;
    QList<qint64> order;
    if (!m_open || m_empty || m_pending || !readTransaction([&] { return readGraphReleases(releases, order); }))
        return {};
    QList<GraphRelease> result;
    for (const qint64 id : std::as_const(order))
        result.append(releases.value(id));
    return result;
}

bool HistoryStore::visitGraphFigures(const QList<QByteArray>& domains, const GraphFiguresVisitor& visit)
{
    if (!m_open)
        return false;
    if (m_empty || m_pending)
        return true;
    return readTransaction([&] {
        QHash<qint64, GraphRelease> releases;
        QList<qint64> order;
        // The names are read again, as another connection may have added some.
        if (!readGraphReleases(releases, order) || !loadDomainIds())
            return false;
        QSqlQuery query(database());
        query.setForwardOnly(true);
        if (domains.isEmpty()) {
            const QHash<qint64, QByteArray> names = domainNamesById();
            if (!query.exec(
                    u"SELECT domain, release, %1 FROM graph_figures ORDER BY domain, release"_s.arg(figuresColumns())))
                return failWith(query.lastError());
            while (query.next())
                visit(names.value(query.value(0).toLongLong()), releases.value(query.value(1).toLongLong()),
                      readFigures(query, 2));
            return true;
        }
        // A domain's figures are a lookup a release, as the table keeps a release's domains together.
        if (!query.prepare(u"SELECT r.id, %1 FROM graph_release r CROSS JOIN graph_figures f ON f.release = r.id "
                           u"AND f.domain = ? ORDER BY r.id"_s.arg(figuresColumns(u"f"_s))))
            return failWith(query.lastError());
        for (const QByteArray& domain : domains) {
            const auto id = m_domainIds.constFind(domain);
            if (id == m_domainIds.cend())
                continue;
            query.bindValue(0, *id);
            if (!query.exec())
                return failWith(query.lastError());
            while (query.next())
                visit(domain, releases.value(query.value(0).toLongLong()), readFigures(query, 1));
        }
        return true;
    });
}

bool HistoryStore::visitGraphReleases(const GraphReleaseVisitor& release, const ReleaseFiguresVisitor& figures)
{
    if (!m_open)
        return false;
    if (m_empty || m_pending)
        return true;
    return readTransaction([&] {
        QHash<qint64, GraphRelease> releases;
        QList<qint64> order;
        if (!readGraphReleases(releases, order) || !loadDomainIds())
            return false;
        const QHash<qint64, QByteArray> names = domainNamesById();
        QSqlQuery query(database());
        query.setForwardOnly(true);
        // The table's key orders the rows by release, as the releases' ids order them.
        if (!query.exec(
                u"SELECT release, domain, %1 FROM graph_figures ORDER BY release, domain"_s.arg(figuresColumns())))
            return failWith(query.lastError());
        qsizetype next = 0;
        // Tells of the releases up to the one with the id given, those without figures included.
        const auto releasesUpTo = [&](qint64 id) {
            for (; next < order.size() && order[next] <= id; ++next) {
                if (!release(releases.value(order[next])))
                    return false;
            }
            return true;
        };
        bool going = true;
        while (going && query.next()) {
            going = releasesUpTo(query.value(0).toLongLong()) &&
                    figures(names.value(query.value(1).toLongLong()), readFigures(query, 2));
        }
        if (query.lastError().isValid())
            return failWith(query.lastError());
        query.finish();
        if (going)
            releasesUpTo(std::numeric_limits<qint64>::max());
        return true;
    });
}

QList<QByteArray> HistoryStore::domainsWithoutGraphFigures(const QString& releaseId, const QList<QByteArray>& domains,
                                                           bool needLinkingDomains)
{
    if (!m_open || m_empty || m_pending)
        return domains;
    QList<QByteArray> without;
    const bool read = readTransaction([&] {
        QSqlQuery query(database());
        query.setForwardOnly(true);
        query.prepare(u"SELECT id FROM graph_release WHERE name = ?"_s);
        query.addBindValue(releaseId);
        if (!query.exec())
            return failWith(query.lastError());
        if (!query.next()) {
            without = domains;
            return true;
        }
        const qint64 release = query.value(0).toLongLong();
        if (!loadDomainIds())
            return false;
        if (!query.prepare(u"SELECT found, linking_domains IS NOT NULL FROM graph_figures WHERE release = ? AND "
                           u"domain = ?"_s))
            return failWith(query.lastError());
        for (const QByteArray& domain : domains) {
            const auto id = m_domainIds.constFind(domain);
            if (id == m_domainIds.cend()) {
                without.append(domain);
                continue;
            }
            query.bindValue(0, release);
            query.bindValue(1, *id);
            if (!query.exec())
                return failWith(query.lastError());
            // A domain the release does not hold has no linking domains to count.
            if (!query.next() || (needLinkingDomains && query.value(0).toInt() != 0 && query.value(1).toInt() == 0))
                without.append(domain);
            query.finish();
        }
        return true;
    });
    return read ? without : domains;
}
