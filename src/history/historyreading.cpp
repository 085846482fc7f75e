#include "history/historyschema.h"
#include "history/historystore.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <limits>

using namespace Qt::StringLiterals;
using namespace history;

struct HistoryStore::RunRow {
    qint64 id;
    HistoryRun run;
};

bool HistoryStore::readRuns(const QDateTime& since, const QDateTime& until, QList<RunRow>& rows)
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    // A version-1 history told runs apart by their start, which gives them their identity.
    const QString identity = m_version >= 2 ? u"identity"_s : u"'v1-' || started"_s;
    query.prepare(u"SELECT id, started, ended, front_end, cancelled, %1 FROM run WHERE started BETWEEN ? AND ? "
                  "ORDER BY started, id"_s.arg(identity));
    query.addBindValue(bound(since, std::numeric_limits<qint64>::min()));
    query.addBindValue(bound(until, std::numeric_limits<qint64>::max()));
    if (!query.exec())
        return failWith(query.lastError());
    while (query.next()) {
        RunRow row{query.value(0).toLongLong(), {}};
        row.run.started = utcFromMs(query.value(1).toLongLong());
        if (!query.value(2).isNull())
            row.run.ended = utcFromMs(query.value(2).toLongLong());
        row.run.frontEnd = query.value(3).toInt() == static_cast<int>(FrontEnd::CommandLine) ? FrontEnd::CommandLine
                                                                                             : FrontEnd::Window;
        row.run.cancelled = query.value(4).toInt() != 0;
        row.run.identity = query.value(5).toString();
        rows.append(std::move(row));
    }
    return true;
}

bool HistoryStore::visitRuns(const RunVisitor& visit, const QList<QByteArray>& domains, const QDateTime& since,
                             const QDateTime& until)
{
    if (!m_open)
        return false;
    if (m_empty || m_pending)
        return true;
    // The whole history is read a run at a time, each in a read transaction of its own, so that a long export
    // never keeps a run's writes waiting; a domain's history is one transaction, so that its runs and fetches
    // are of one moment. The names are read again, as another connection may have added some.
    const bool whole = domains.isEmpty();
    if (!whole && !exec(u"BEGIN"_s))
        return false;
    m_inTransaction = !whole;
    if (!loadDomainIds() || !visitRunsRead(visit, domains, since, until))
        return false;
    m_inTransaction = false;
    return whole || exec(u"COMMIT"_s);
}

bool HistoryStore::visitRunsRead(const RunVisitor& visit, const QList<QByteArray>& domains, const QDateTime& since,
                                 const QDateTime& until)
{
    QList<RunRow> rows;
    if (!readRuns(since, until, rows))
        return false;

    QSqlQuery query(database());
    query.setForwardOnly(true);
    // Reads a fetch row whose columns from first on are source, at, count, failure and detail into fetches.
    const auto readInto = [&](DomainFetches& fetches, int first, const QDateTime& started) {
        const int engine = engineOf(query.value(first).toLongLong());
        if (engine >= 0)
            fetches.engines[engine] = readFetch(query, first + 1, started);
    };
    if (domains.isEmpty()) {
        QHash<qint64, QByteArray> names = domainNamesById();
        // A run's rows come by domain, as the table keeps them.
        if (!query.prepare(u"SELECT domain, source, at, count, failure, detail FROM fetch WHERE run = ? "
                           "ORDER BY domain, source"_s))
            return failWith(query.lastError());
        for (RunRow& row : rows) {
            query.bindValue(0, row.id);
            if (!query.exec())
                return failWith(query.lastError());
            qint64 lastDomain = -1;
            while (query.next()) {
                const qint64 id = query.value(0).toLongLong();
                if (!names.contains(id)) { // a name written since the names were read
                    if (!loadDomainIds())
                        return false;
                    names = domainNamesById();
                }
                if (id != lastDomain) {
                    row.run.domains.append(DomainFetches(names.value(id)));
                    lastDomain = id;
                }
                readInto(row.run.domains.last(), 1, row.run.started);
            }
            query.finish();
            if (!visit(row.run))
                return true;
            row.run = {};
        }
        return true;
    }

    // A domain's fetches are looked up run by run: a run's fetches are one range of the table, and a run writes
    // its domains at the table's end, a page or so a domain.
    if (!query.prepare(u"SELECT r.id, f.source, f.at, f.count, f.failure, f.detail FROM run r CROSS JOIN fetch f "
                       "ON f.run = r.id AND f.domain = ? WHERE r.started BETWEEN ? AND ?"_s))
        return failWith(query.lastError());
    QHash<qint64, qsizetype> rowOfRun;
    for (qsizetype i = 0; i < rows.size(); ++i)
        rowOfRun.insert(rows[i].id, i);
    for (const QByteArray& domain : domains) {
        const auto id = m_domainIds.constFind(domain);
        if (id == m_domainIds.cend())
            continue;
        query.bindValue(0, *id);
        query.bindValue(1, bound(since, std::numeric_limits<qint64>::min()));
        query.bindValue(2, bound(until, std::numeric_limits<qint64>::max()));
        if (!query.exec())
            return failWith(query.lastError());
        HistoryRun* lastRun = nullptr;
        while (query.next()) {
            HistoryRun& run = rows[rowOfRun.value(query.value(0).toLongLong())].run;
            if (&run != lastRun || run.domains.isEmpty() || run.domains.last().domain != domain) {
                run.domains.append(DomainFetches(domain));
                lastRun = &run;
            }
            readInto(run.domains.last(), 1, run.started);
        }
    }
    for (const RunRow& row : std::as_const(rows)) {
        if (!row.run.domains.isEmpty() && !visit(row.run))
            break;
    }
    return true;
}

QList<HistoryRun> HistoryStore::runs(const QList<QByteArray>& domains, const QDateTime& since, const QDateTime& until)
{
    QList<HistoryRun> result;
    visitRuns(
        [&result](const HistoryRun& run) {
            result.append(run);
            return true;
        },
        domains, since, until);
    return result;
}

bool HistoryStore::lastFetches(const QList<QByteArray>& domains, const LastFetchVisitor& found)
{
    if (!m_open)
        return false;
    if (m_empty || m_pending)
        return true;
    if (!exec(u"BEGIN"_s))
        return false;
    m_inTransaction = true;
    if (!loadDomainIds())
        return false;
    // What is still to be found, by domain id: the engines not found yet.
    struct Wanted {
        QByteArray domain;
        QList<bool> found;
        qsizetype left;
    };
    const qsizetype engines = qsizetype(engineDefinitions().size());
    QHash<qint64, Wanted> wanted;
    for (const QByteArray& domain : domains) {
        if (const auto id = m_domainIds.constFind(domain); id != m_domainIds.cend())
            wanted.insert(*id, {domain, QList<bool>(engines, false), engines});
    }
    QSqlQuery runs(database());
    runs.setForwardOnly(true);
    QSqlQuery fetches(database());
    fetches.setForwardOnly(true);
    if (!runs.exec(u"SELECT id, started FROM run ORDER BY started DESC, id DESC"_s) ||
        !fetches.prepare(u"SELECT domain, source, at, count, failure, detail FROM fetch WHERE run = ?"_s))
        return failWith(runs.lastError().isValid() ? runs.lastError() : fetches.lastError());
    // Takes a fetch row whose columns from first on are source, at, count, failure and detail, of a run that started
    // then, unless an engine's newer fetch was found.
    const auto take = [&](QHash<qint64, Wanted>::iterator domain, const QSqlQuery& row, int first,
                          const QDateTime& started) {
        const int engine = engineOf(row.value(first).toLongLong());
        if (engine < 0 || domain->found[engine])
            return;
        found(domain->domain, engine, readFetch(row, first + 1, started));
        domain->found[engine] = true;
        if (--domain->left == 0)
            wanted.erase(domain);
    };
    // Whole runs, newest first, while many domains are wanted: the newest run usually holds them all.
    constexpr qsizetype FewLeft = 8;
    while (wanted.size() > FewLeft && runs.next()) {
        const QDateTime started = utcFromMs(runs.value(1).toLongLong());
        fetches.bindValue(0, runs.value(0));
        if (!fetches.exec())
            return failWith(fetches.lastError());
        while (fetches.next()) {
            const auto domain = wanted.find(fetches.value(0).toLongLong());
            if (domain != wanted.end())
                take(domain, fetches, 1, started);
        }
    }
    runs.finish();
    fetches.finish();
    // The few left one by one, their runs newest first: a domain fetched long ago costs a lookup a run, not a read
    // of every run's fetches.
    QSqlQuery ofDomain(database());
    ofDomain.setForwardOnly(true);
    if (!ofDomain.prepare(u"SELECT r.started, f.source, f.at, f.count, f.failure, f.detail FROM run r CROSS JOIN "
                          "fetch f ON f.run = r.id AND f.domain = ? ORDER BY r.started DESC, r.id DESC"_s))
        return failWith(ofDomain.lastError());
    for (const qint64 id : wanted.keys()) {
        ofDomain.bindValue(0, id);
        if (!ofDomain.exec())
            return failWith(ofDomain.lastError());
        while (wanted.contains(id) && ofDomain.next())
            take(wanted.find(id), ofDomain, 1, utcFromMs(ofDomain.value(0).toLongLong()));
        ofDomain.finish();
    }
    m_inTransaction = false;
    return exec(u"COMMIT"_s);
}
