// A year of daily runs over 1,000 domains (1,825,000 fetches, one in fifty failed) generated into a history in
// one transaction, as an import adds it; a further week of runs recorded as update runs record them, one
// transaction a domain; the file's size and bytes per fetch; one domain's history read back; and the whole
// history exported as CSV and as JSON.

#include "benchsupport.h"
#include "domains/historystore.h"
#include "workflows/historyfile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

using bench::domainName;
using bench::median;

namespace {

constexpr int runCount = 365;
constexpr int recordedRunCount = 7;
constexpr int domainCount = 1000;

// The fetches of domain d in run r: counts that grow over the year, and now and then a failure.
DomainFetches fetchesOf(int r, int d, const QDateTime& started)
{
    DomainFetches fetches{domainName(d), {}};
    for (int e = 0; e < EngineCount; ++e) {
        HistoryFetch& fetch = fetches.engines[static_cast<std::size_t>(e)];
        fetch.at = started.addMSecs((qint64(d) * EngineCount + e) * 900 + (r * 7 + d) % 300);
        if ((r + d * 7 + e * 13) % 50 == 0)
            fetch.failure = {FetchFailure::ErrorStatus, 503, "Service Unavailable", 0, 0};
        else
            fetch.count = qint64(d) * 1000 + qint64(r) * (e + 1) * 37 + e;
    }
    return fetches;
}

double msSince(const QElapsedTimer& timer)
{
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QTemporaryDir dir;
    const QString list = dir.filePath(QStringLiteral("brenlow.txt"));
    const QDateTime first(QDate(2026, 1, 1), QTime(3, 0), Qt::UTC);

    QElapsedTimer timer;
    timer.start();
    double generated = 0;
    double recorded = 0;
    {
        HistoryStore store(list);
        std::optional<qint64> added;
        if (store.open(HistoryStore::Mode::Write)) {
            added = store.import([&first](const HistoryStore::RunVisitor& add) {
                for (int r = 0; r < runCount; ++r) {
                    const QDateTime started = first.addDays(r);
                    HistoryRun run{started, started.addSecs(4600), FrontEnd::CommandLine, false, {}};
                    for (int d = 0; d < domainCount; ++d)
                        run.domains.append(fetchesOf(r, d, started));
                    if (!add(run))
                        return false;
                }
                return true;
            });
        }
        if (!added) {
            std::printf("%s\n", qPrintable(store.problemText()));
            return 1;
        }
        generated = msSince(timer);

        timer.restart();
        for (int r = runCount; r < runCount + recordedRunCount; ++r) {
            const QDateTime started = first.addDays(r);
            bool ok = store.beginRun(started, FrontEnd::Window);
            for (int d = 0; d < domainCount && ok; ++d)
                ok = store.recordDomain(fetchesOf(r, d, started));
            if (!ok || !store.endRun(started.addSecs(4600), false)) {
                std::printf("%s\n", qPrintable(store.problemText()));
                return 1;
            }
        }
        recorded = msSince(timer);
    }
    const qint64 fetches = qint64(runCount + recordedRunCount) * domainCount * EngineCount;
    const qint64 bytes = QFileInfo(HistoryStore::pathFor(list)).size();
    std::printf("generate %lld fetches     %8.1f ms   goal < 30000 ms\n", qint64(runCount) * domainCount * EngineCount,
                generated);
    std::printf("record a run of 1,000      %8.1f ms   (one transaction a domain; mean of %d runs: %.3f ms a domain)\n",
                recorded / recordedRunCount, recordedRunCount, recorded / recordedRunCount / domainCount);
    std::printf("history file               %8.1f MB   goal < 50 MB; %.1f bytes a fetch\n", bytes / 1e6,
                double(bytes) / double(fetches));

    HistoryStore store(list);
    timer.restart();
    const bool opened = store.open(HistoryStore::Mode::Read);
    const double openTime = msSince(timer);
    std::vector<double> one;
    qsizetype runsRead = 0;
    for (int d = 0; opened && d < domainCount; d += 97) {
        timer.restart();
        runsRead += store.runs({domainName(d)}).size();
        one.push_back(msSince(timer));
    }
    std::printf("open to read               %8.1f ms\n", openTime);
    std::printf("one domain's history       %8.1f ms   goal < 20 ms (median of %zu, %lld runs each)\n", median(one),
                one.size(), static_cast<long long>(runsRead / qsizetype(one.size())));

    for (const HistoryFormat format : {HistoryFormat::Csv, HistoryFormat::Json}) {
        const QString name =
            dir.filePath(format == HistoryFormat::Csv ? QStringLiteral("export.csv") : QStringLiteral("export.json"));
        QFile out(name);
        QString error;
        timer.restart();
        const bool exported = out.open(QIODevice::WriteOnly) && exportHistory(store, out, format, error);
        out.close();
        std::printf("export %-4s                %8.1f ms   goal < 10000 ms; %.1f MB%s\n",
                    format == HistoryFormat::Csv ? "CSV" : "JSON", msSince(timer), QFileInfo(name).size() / 1e6,
                    exported ? "" : " FAILED");
    }
    return 0;
}
