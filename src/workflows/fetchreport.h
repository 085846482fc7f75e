#pragma once

#include "net/httpfetcher.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// One fetch of an update run as it ended: the cell it was for, and either the count it wrote or why the cell
// kept the count it had.
struct FetchReport {
    int row = 0;
    int engine = 0;              // catalogue index; the cell is in column GridColumn::FirstEngine + engine
    QByteArray domain;           // the row's domain in the list's bytes
    QDateTime at;                // when the fetch ended
    std::optional<qint64> count; // the count written; nothing when the fetch failed
    FailureDetail failure;       // why it failed
    QString keptCount;           // the text the cell kept when it failed
    std::optional<qint64> kept;  // the count the cell kept when it failed, if it holds one

    bool failed() const { return !count; }
};

// What an update run did, for the one sentence that says so.
struct RunSummary {
    int counts = 0;  // the counts the run was to update: five for each row with a domain
    int updated = 0; // fetches that wrote a count
    int failed = 0;  // fetches that failed, a cancelled one among them; their cells keep their counts
    bool cancelled = false;
    QDateTime ended;
    QList<FetchReport> failures; // every failed fetch, in the order they came

    int notAsked() const { return counts - updated - failed; }
    // Another run's figures added, as one command that runs several domains in turn reports them.
    void add(const RunSummary& other);
};

// Why a fetch failed, as a clause the front ends put into their own sentences: "the server answered 503
// Service Unavailable".
QString failureReason(const FailureDetail& failure);

// "Updated 12 of 15 counts at 21:40; 3 could not be updated and keep their earlier counts." The local time in
// the locale's short format.
QString runSummaryText(const RunSummary& summary, const QLocale& locale);
