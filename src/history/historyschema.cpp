#include "history/historyschema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace history {

const std::array<QString, HistoryStore::SchemaVersion>& schemaSteps()
{
    static const std::array<QString, HistoryStore::SchemaVersion> steps{
        // Version 1.
        u"CREATE TABLE run(id INTEGER PRIMARY KEY, started INTEGER NOT NULL UNIQUE, ended INTEGER, "
        u"front_end INTEGER NOT NULL, cancelled INTEGER NOT NULL DEFAULT 0);"
        u"CREATE TABLE domain(id INTEGER PRIMARY KEY, name BLOB NOT NULL UNIQUE);"
        u"CREATE TABLE fetches(domain INTEGER NOT NULL, run INTEGER NOT NULL"_s +
            fetchColumns() + u", PRIMARY KEY(run, domain)) WITHOUT ROWID"_s,
        // Version 2: a run has an identity of its own, and its start need not be unique.
        u"CREATE TABLE run_v2(id INTEGER PRIMARY KEY, identity TEXT NOT NULL UNIQUE, started INTEGER NOT NULL, "
        u"ended INTEGER, front_end INTEGER NOT NULL, cancelled INTEGER NOT NULL DEFAULT 0);"
        u"INSERT INTO run_v2(id, identity, started, ended, front_end, cancelled) "
        u"SELECT id, 'v1-' || started, started, ended, front_end, cancelled FROM run;"
        u"DROP TABLE run;"
        u"ALTER TABLE run_v2 RENAME TO run;"
        u"CREATE INDEX run_started ON run(started)"_s,
    };
    return steps;
}

std::optional<bool> isHistorySchema(const QSqlDatabase& database, int version, QSqlError& error)
{
    QStringList fetches{u"domain"_s, u"run"_s};
    for (int i = 0; i < EngineCount; ++i)
        fetches << u"at%1"_s.arg(i) << u"count%1"_s.arg(i) << u"failure%1"_s.arg(i) << u"detail%1"_s.arg(i);
    const QStringList run =
        version >= 2 ? QStringList{u"id"_s, u"identity"_s, u"started"_s, u"ended"_s, u"front_end"_s, u"cancelled"_s}
                     : QStringList{u"id"_s, u"started"_s, u"ended"_s, u"front_end"_s, u"cancelled"_s};
    const std::pair<QString, QStringList> expected[] = {
        {u"domain"_s, {u"id"_s, u"name"_s}}, {u"fetches"_s, fetches}, {u"run"_s, run}};

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
    if (tables != QStringList{u"domain"_s, u"fetches"_s, u"run"_s})
        return false;
    for (const auto& [table, columns] : expected) {
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

QString fetchColumns()
{
    QString columns;
    for (int i = 0; i < EngineCount; ++i)
        columns += u", at%1, count%1, failure%1, detail%1"_s.arg(i);
    return columns;
}

void bindFetches(QSqlQuery& query, int first, const QDateTime& started,
                 const std::array<HistoryFetch, EngineCount>& engines)
{
    const QVariant none(QMetaType::fromType<qint64>());
    const QVariant noText(QMetaType::fromType<QString>());
    int column = first;
    for (const HistoryFetch& fetch : engines) {
        const bool failed = fetch.made() && !fetch.count;
        query.bindValue(column++, fetch.made() ? QVariant(started.msecsTo(fetch.at)) : none);
        query.bindValue(column++, fetch.count ? QVariant(*fetch.count) : none);
        query.bindValue(column++, failed ? QVariant(failureKindName(fetch.failure.kind)) : noText);
        const QString detail = failed ? failureDetailText(fetch.failure) : QString();
        query.bindValue(column++, detail.isEmpty() ? noText : QVariant(detail));
    }
}

void readFetches(const QSqlQuery& query, int first, const QDateTime& started,
                 std::array<HistoryFetch, EngineCount>& engines)
{
    for (int i = 0; i < EngineCount; ++i) {
        const int column = first + 4 * i;
        HistoryFetch& fetch = engines[static_cast<std::size_t>(i)];
        fetch = {};
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

} // namespace history
