#include "domains/historyschema.h"
#include "domains/historystore.h"

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
    query.prepare(u"SELECT id, started, ended, front_end, cancelled FROM run WHERE started BETWEEN ? AND ? "
                  "ORDER BY started"_s);
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
        rows.append(std::move(row));
    }
    return true;
}

namespace {

// A row of fetches read back: columns from first on are the engines' at, count, failure and detail.
void readFetches(const QSqlQuery& query, int first, const QDateTime& started, DomainFetches& fetches)
{
    for (int i = 0; i < EngineCount; ++i) {
        const int column = first + 4 * i;
        HistoryFetch& fetch = fetches.engines[static_cast<std::size_t>(i)];
        if (query.isNull(column))
            continue;
        fetch.at = started.addMSecs(query.value(column).toLongLong());
        if (!query.isNull(column + 1))
            fetch.count = query.value(column + 1).toLongLong();
        else
            fetch.failure = failureFromText(query.value(column + 2).toString(), query.value(column + 3).toString())
                                .value_or(FailureDetail{});
    }
}

} // namespace

bool HistoryStore::visitRuns(const RunVisitor& visit, const QList<QByteArray>& domains, const QDateTime& since,
                             const QDateTime& until)
{
    if (!m_open)
        return false;
    if (m_empty)
        return true;
    // One read transaction, so that the runs, their fetches and the domains' names are of one moment while a run
    // writes; the names are read again, as another connection may have added some.
    if (!exec(u"BEGIN"_s))
        return false;
    if (!loadDomainIds() || !visitRunsRead(visit, domains, since, until))
        return false;
    return exec(u"COMMIT"_s);
}

bool HistoryStore::visitRunsRead(const RunVisitor& visit, const QList<QByteArray>& domains, const QDateTime& since,
                                 const QDateTime& until)
{
    QList<RunRow> rows;
    if (!readRuns(since, until, rows))
        return false;

    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (domains.isEmpty()) {
        QHash<qint64, QByteArray> names;
        for (auto it = m_domainIds.cbegin(); it != m_domainIds.cend(); ++it)
            names.insert(it.value(), it.key());
        if (!query.prepare(u"SELECT domain%1 FROM fetches WHERE run = ?"_s.arg(fetchColumns())))
            return failWith(query.lastError());
        for (RunRow& row : rows) {
            query.bindValue(0, row.id);
            if (!query.exec())
                return failWith(query.lastError());
            while (query.next()) {
                DomainFetches fetches{names.value(query.value(0).toLongLong()), {}};
                readFetches(query, 1, row.run.started, fetches);
                row.run.domains.append(std::move(fetches));
            }
            if (!visit(row.run))
                return true;
            row.run = {};
        }
        return true;
    }

    // A domain's fetches are looked up run by run: a run's fetches are one range of the table, and a run writes
    // its domains at the table's end, one page a domain.
    if (!query.prepare(u"SELECT r.id%1 FROM run r CROSS JOIN fetches f ON f.run = r.id AND f.domain = ? "
                       "WHERE r.started BETWEEN ? AND ?"_s.arg(fetchColumns())))
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
        while (query.next()) {
            HistoryRun& run = rows[rowOfRun.value(query.value(0).toLongLong())].run;
            DomainFetches fetches{domain, {}};
            readFetches(query, 1, run.started, fetches);
            run.domains.append(std::move(fetches));
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
