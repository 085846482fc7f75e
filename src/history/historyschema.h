#pragma once

// What the store's writing, reading and importing share: the schema, times as the history holds them, and the
// columns of a fetch row.

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

// The statements that take a history from one version to the next: the first makes version 1, the next take it
// on a version at a time.
const std::array<QString, HistoryStore::SchemaVersion>& schemaSteps();

// Statements that show a history of an older version to a connection that only reads it as the present version
// shows itself: a temporary source table and fetch view for versions 1 and 2, and empty temporary web graph tables
// for versions 1 to 3.
QStringList olderVersionViews(int version);

// Whether the database holds a Brenlow history of the version given, table by table and column by column (no
// table at all for version 0); nothing, with error set, when it could not be read.
std::optional<bool> isHistorySchema(const QSqlDatabase& database, int version, QSqlError& error);

// The columns at, count, failure and detail of a fetch row: bound from the placeholder first on, and read back
// from the column first on.
void bindFetch(QSqlQuery& query, int first, const QDateTime& started, const HistoryFetch& fetch);
HistoryFetch readFetch(const QSqlQuery& query, int first, const QDateTime& started);

} // namespace history
