#pragma once

#include "engine/enginecatalogue.h"
#include "workflows/fetchreport.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <QString>

#include <optional>

// The counts whose last fetch failed, by domain and engine: they still show what an earlier run found, and the
// window marks them and says why. A later fetch of the same cell that succeeds takes the mark away.
class StaleCounts {
public:
    // Marks the cell of a failed fetch, unmarks the cell of one that succeeded. True when the mark came or went.
    bool record(const FetchReport& report);
    // Forgets the domains no longer listed, so that one added again starts without marks.
    void keepOnly(const QSet<QByteArray>& listed);

    // The note of a cell, empty when it is not marked: "Not updated at 21:40 (the server answered 503 Service
    // Unavailable); this count is from an earlier run." The date is given too unless it is today's.
    QString note(const QByteArray& domain, int engine, const QLocale& locale, const QDate& today) const;

private:
    struct Failure {
        QDateTime at;
        FailureDetail failure;
    };
    QHash<QByteArray, QHash<int, Failure>> m_failures; // by domain, then by source
};
