#pragma once

// A year of daily runs over a list of domains as the history benchmarks store it: counts that grow over the year,
// and one fetch in fifty failed.

#include "benchsupport.h"
#include "history/historyimport.h"
#include "history/historystore.h"

namespace bench {

inline const QDateTime yearStart(QDate(2026, 1, 1), QTime(3, 0), Qt::UTC);

// The start of run r, a day after run r - 1.
inline QDateTime runStart(int r)
{
    return yearStart.addDays(r);
}

// The fetches of domain d in run r.
inline DomainFetches fetchesOf(int r, int d)
{
    const QDateTime started = runStart(r);
    DomainFetches fetches(domainName(d));
    for (int e = 0; e < 5; ++e) {
        HistoryFetch& fetch = fetches.engines[static_cast<std::size_t>(e)];
        fetch.at = started.addMSecs((qint64(d) * 5 + e) * 900 + (r * 7 + d) % 300);
        if ((r + d * 7 + e * 13) % 50 == 0)
            fetch.failure = {FetchFailure::ErrorStatus, 503, "Service Unavailable", 0, 0};
        else
            fetch.count = qint64(d) * 1000 + qint64(r) * (e + 1) * 37 + e;
    }
    return fetches;
}

// The run r, without its domains.
inline HistoryRun runOf(int r)
{
    return {QStringLiteral("run-%1").arg(r), runStart(r), runStart(r).addSecs(4600), FrontEnd::CommandLine, false, {}};
}

// Runs 0 to runCount - 1 over domains 0 to domainCount - 1 added to the history of the list at listFilePath in one
// transaction, as an import adds them. An empty text, or why they could not be.
inline QString generateYear(const QString& listFilePath, int runCount, int domainCount)
{
    HistoryStore store(listFilePath);
    if (!store.open(HistoryStore::Mode::Write))
        return store.problemText();
    HistoryImport import(store);
    for (int r = 0; r < runCount; ++r) {
        const HistoryRun run = runOf(r);
        for (int d = 0; d < domainCount; ++d) {
            const DomainFetches fetches = fetchesOf(r, d);
            for (int e = 0; e < 5; ++e) {
                if (!import.addFetch(run, fetches.domain, e, fetches.engines[std::size_t(e)], r + 1))
                    return import.error();
            }
        }
    }
    return import.finish() ? QString() : import.error();
}

} // namespace bench
