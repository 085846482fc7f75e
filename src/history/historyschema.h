#pragma once

// What the store's writing, reading and importing share: the schema, times as the history holds them, and the
// columns of a fetches row.

#include "history/historystore.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class QSqlDatabase;
class QSqlError;
class QSqlQuery;

namespace history {

inline qint64 msSinceEpoch(const QDateTime& time)
{
    return time.toMSecsSinceEpoch();
}

// A bound of a time range in milliseconds; unbounded for an invalid time.
inline qint64 bound(const QDateTime& time, qint64 unbounded)
{
    return time.isValid() ? msSinceEpoch(time) : unbounded;
}

inline QDateTime utcFromMs(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
}

// The identity of a run that a version-1 history recorded, which told runs apart by their start.
inline QString legacyRunIdentity(qint64 startedMs)
{
    return QStringLiteral("v1-%1").arg(startedMs);
}

// The statements that take a history from one version to the next: the first makes version 1, the second takes
// version 1 to version 2.
const std::array<QString, HistoryStore::SchemaVersion>& schemaSteps();

// Whether the database holds a Brenlow history of the version given, table by table and column by column (no
// table at all for version 0); nothing, with error set, when it could not be read.
std::optional<bool> isHistorySchema(const QSqlDatabase& database, int version, QSqlError& error);

// ", at0, count0, failure0, detail0, at1, …": the columns of a fetches row after its keys.
QString fetchColumns();

// Binds the engines' fetches of a row, from the placeholder first on, and reads them back from the column first
// on.
void bindFetches(QSqlQuery& query, int first, const QDateTime& started,
                 const std::array<HistoryFetch, EngineCount>& engines);
void readFetches(const QSqlQuery& query, int first, const QDateTime& started,
                 std::array<HistoryFetch, EngineCount>& engines);

} // namespace history
