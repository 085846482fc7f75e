#include "history/historyschema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace history {

namespace {

// Versions 1 and 2 kept the fetches of the five engines of their time side by side, in this many column groups.
constexpr int legacyEngines = 5;

// ", at0, count0, failure0, detail0, at1, …": the columns of the engines' fetches in a row of versions 1 and 2.
QString engineColumns()
{
    QString columns;
    for (int i = 0; i < legacyEngines; ++i)
        columns += u", at%1, count%1, failure%1, detail%1"_s.arg(i);
    return columns;
}

// The fetches of the side-by-side rows of versions 1 and 2 as the rows of version 3, source i + 1 for engine i.
QString engineRowsAsFetches()
{
    QStringList selects;
    for (int i = 0; i < legacyEngines; ++i)
        selects.append(u"SELECT run, domain, %1 AS source, at%2 AS at, count%2 AS count, failure%2 AS failure, "
                       u"detail%2 AS detail FROM fetches WHERE at%2 IS NOT NULL"_s.arg(i + 1)
                           .arg(i));
    return selects.join(u" UNION ALL "_s);
}

// The sources of versions 1 and 2, whose columns were the engines'.
QString engineSources()
{
    QStringList rows;
    for (int i = 0; i < legacyEngines; ++i)
        rows.append(u"(%1, '%2')"_s.arg(i + 1).arg(engineDefinitions()[std::size_t(i)].name));
    return rows.join(u", "_s);
}

// The tables of version 4 that keep what the web graph's releases say of the listed domains; kind is "" or
// "TEMP ". A release's crawls are joined by a space, which no crawl's name holds.
QStringList graphTables(const QString& kind)
{
    return {u"CREATE %1TABLE graph_release(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, crawls TEXT NOT NULL, "
            u"domains INTEGER NOT NULL, links INTEGER NOT NULL)"_s.arg(kind),
            u"CREATE %1TABLE graph_figures(release INTEGER NOT NULL, domain INTEGER NOT NULL, name BLOB NOT NULL, "
            u"found INTEGER NOT NULL, harmonic_rank INTEGER, harmonic_value REAL, pagerank_rank INTEGER, "
            u"pagerank_value REAL, hosts INTEGER, linking_domains INTEGER, read_at INTEGER NOT NULL, "
            u"PRIMARY KEY(release, domain)) WITHOUT ROWID"_s.arg(kind)};
}

} // namespace

const std::array<QString, HistoryStore::SchemaVersion>& schemaSteps()
{
    static const std::array<QString, HistoryStore::SchemaVersion> steps{
        // Version 1.
        u"CREATE TABLE run(id INTEGER PRIMARY KEY, started INTEGER NOT NULL UNIQUE, ended INTEGER, "
        u"front_end INTEGER NOT NULL, cancelled INTEGER NOT NULL DEFAULT 0);"
        u"CREATE TABLE domain(id INTEGER PRIMARY KEY, name BLOB NOT NULL UNIQUE);"
        u"CREATE TABLE fetches(domain INTEGER NOT NULL, run INTEGER NOT NULL"_s +
            engineColumns() + u", PRIMARY KEY(run, domain)) WITHOUT ROWID"_s,
        // Version 2: a run has an identity of its own, and its start need not be unique.
        u"CREATE TABLE run_v2(id INTEGER PRIMARY KEY, identity TEXT NOT NULL UNIQUE, started INTEGER NOT NULL, "
        u"ended INTEGER, front_end INTEGER NOT NULL, cancelled INTEGER NOT NULL DEFAULT 0);"
        u"INSERT INTO run_v2(id, identity, started, ended, front_end, cancelled) "
        u"SELECT id, 'v1-' || started, started, ended, front_end, cancelled FROM run;"
        u"DROP TABLE run;"
        u"ALTER TABLE run_v2 RENAME TO run;"
        u"CREATE INDEX run_started ON run(started)"_s,
        // Version 3: a row a fetch, which names its source; a failed fetch keeps the count its row kept.
        u"CREATE TABLE source(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE);"
        u"INSERT INTO source(id, name) VALUES "_s +
            engineSources() +
            u";CREATE TABLE fetch(run INTEGER NOT NULL, domain INTEGER NOT NULL, source INTEGER NOT NULL, "
            u"at INTEGER NOT NULL, count INTEGER, failure TEXT, detail TEXT, PRIMARY KEY(run, domain, source)) "
            u"WITHOUT ROWID;"
            u"INSERT INTO fetch SELECT * FROM ("_s +
            engineRowsAsFetches() + u") ORDER BY run, domain, source;DROP TABLE fetches"_s,
        // Version 4: what the web graph's releases say of the listed domains, a row a release and domain.
        graphTables({}).join(u';'),
    };
    return steps;
}

QStringList olderVersionViews(int version)
{
    QStringList statements;
    if (version < 3) {
        statements << u"CREATE TEMP TABLE source(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE)"_s
                   << u"INSERT INTO temp.source(id, name) VALUES "_s + engineSources()
                   << u"CREATE TEMP VIEW fetch AS "_s + engineRowsAsFetches();
    }
    if (version < 4)
        statements << graphTables(u"TEMP "_s);
    return statements;
}

std::optional<bool> isHistorySchema(const QSqlDatabase& database, int version, QSqlError& error)
{
    QStringList fetches{u"domain"_s, u"run"_s};
    for (int i = 0; i < legacyEngines; ++i)
        fetches << u"at%1"_s.arg(i) << u"count%1"_s.arg(i) << u"failure%1"_s.arg(i) << u"detail%1"_s.arg(i);
    const QStringList run =
        version >= 2 ? QStringList{u"id"_s, u"identity"_s, u"started"_s, u"ended"_s, u"front_end"_s, u"cancelled"_s}
                     : QStringList{u"id"_s, u"started"_s, u"ended"_s, u"front_end"_s, u"cancelled"_s};
    QList<std::pair<QString, QStringList>> expected{{u"domain"_s, {u"id"_s, u"name"_s}}};
    if (version >= 3) {
        expected.append(
            {u"fetch"_s, {u"run"_s, u"domain"_s, u"source"_s, u"at"_s, u"count"_s, u"failure"_s, u"detail"_s}});
    } else {
        expected.append({u"fetches"_s, fetches});
    }
    if (version >= 4) {
        expected.append({u"graph_figures"_s,
                         {u"release"_s, u"domain"_s, u"name"_s, u"found"_s, u"harmonic_rank"_s, u"harmonic_value"_s,
                          u"pagerank_rank"_s, u"pagerank_value"_s, u"hosts"_s, u"linking_domains"_s, u"read_at"_s}});
        expected.append({u"graph_release"_s, {u"id"_s, u"name"_s, u"crawls"_s, u"domains"_s, u"links"_s}});
    }
    expected.append({u"run"_s, run});
    if (version >= 3)
        expected.append({u"source"_s, {u"id"_s, u"name"_s}});

    QSqlQuery query(database);
    query.setForwardOnly(true);
    if (!query.exec(u"SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"_s)) {
        error = query.lastError();
        return std::nullopt;
    }
    QStringList tables;
    while (query.next())
        tables.append(query.value(0).toString());
    if (version == 0)
        return tables.isEmpty();
    QStringList expectedTables;
    for (const auto& table : std::as_const(expected))
        expectedTables.append(table.first);
    if (tables != expectedTables)
        return false;
    for (const auto& [table, columns] : std::as_const(expected)) {
        if (!query.exec(u"PRAGMA table_info(%1)"_s.arg(table))) {
            error = query.lastError();
            return std::nullopt;
        }
        QStringList found;
        while (query.next())
            found.append(query.value(1).toString());
        if (found != columns)
            return false;
    }
    return true;
}

void bindFetch(QSqlQuery& query, int first, const QDateTime& started, const HistoryFetch& fetch)
{
    const QVariant none(QMetaType::fromType<qint64>());
    const QVariant noText(QMetaType::fromType<QString>());
    const bool failed = !fetch.count;
    const std::optional<qint64> shown = fetch.shown();
    query.bindValue(first, started.msecsTo(fetch.at));
    query.bindValue(first + 1, shown ? QVariant(*shown) : none);
    query.bindValue(first + 2, failed ? QVariant(failureKindName(fetch.failure.kind)) : noText);
    const QString detail = failed ? failureDetailText(fetch.failure) : QString();
    query.bindValue(first + 3, detail.isEmpty() ? noText : QVariant(detail));
}

HistoryFetch readFetch(const QSqlQuery& query, int first, const QDateTime& started)
{
    HistoryFetch fetch;
    fetch.at = started.addMSecs(query.value(first).toLongLong());
    const std::optional<qint64> count =
        query.isNull(first + 1) ? std::nullopt : std::optional(query.value(first + 1).toLongLong());
    if (query.isNull(first + 2)) {
        fetch.count = count;
    } else {
        fetch.kept = count;
        fetch.failure = failureFromText(query.value(first + 2).toString(), query.value(first + 3).toString())
                            .value_or(FailureDetail{});
    }
    return fetch;
}

} // namespace history
