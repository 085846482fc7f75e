#pragma once

#include "history/historystore.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QStringList>

#include <nlohmann/json.hpp>

#include <functional>

class CountText;

// The lines of the history command: one for each domain of each run, in each of the formats.
namespace historyrows {

// One line of the history: what a run fetched for a domain.
struct HistoryRow {
    const HistoryRun& run;
    const DomainFetches& fetches;

    // The row's Total after the run: the counts found and those kept where a fetch failed.
    qint64 total() const
    {
        qint64 sum = 0;
        for (const HistoryFetch& fetch : fetches.engines)
            sum += fetch.shown().value_or(0);
        return sum;
    }
};

// Every line, runs oldest first and the domains of a run in the order of their bytes; visit returns false to
// stop. False when the history could not be read to the end.
bool visitRows(HistoryStore& store, const QList<QByteArray>& domains, const QDateTime& since, const QDateTime& until,
               const std::function<bool(const HistoryRow&)>& visit);

// The columns' titles in a table, and their names in tsv and csv, which are json's members.
QStringList headerTexts(bool titles);

// A table shows the start in local time and counts as the window does; a fetch that failed says so, with the
// count its row kept; one that was not made (the run was cancelled first) is a dash.
QStringList tableTexts(const HistoryRow& row, const CountText& counts);

// For scripts: the start in UTC, the domain as the list holds it, counts as plain digits, a count that is missing
// empty.
QList<QByteArray> separatedFields(const HistoryRow& row);

// A missing count is null; "failures" tells, by engine, why a fetch failed and the count its row kept.
nlohmann::json jsonRecord(const HistoryRow& row);

} // namespace historyrows
