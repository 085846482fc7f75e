#pragma once

// What the store's writing and reading share: times as the history holds them, and the columns of a fetches row.

#include "engine/enginecatalogue.h"

#include <QDateTime>
#include <QString>

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

// ", at0, count0, failure0, detail0, at1, …": the columns of a fetches row after its keys.
inline QString fetchColumns()
{
    QString columns;
    for (int i = 0; i < EngineCount; ++i)
        columns += QStringLiteral(", at%1, count%1, failure%1, detail%1").arg(i);
    return columns;
}

} // namespace history
