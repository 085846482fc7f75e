// A year of daily runs over 1,000 domains (1,825,000 fetches, one in fifty failed) generated into a history in
// one transaction, as an import adds it; a further week of runs recorded as update runs record them, one
// transaction a domain; the file's size and bytes per fetch; one domain's history read back; and the whole
// history exported as CSV and as JSON.

#include "benchsupport.h"
#include "historyyear.h"
#include "workflows/historyfile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

using bench::domainName;
using bench::fetchesOf;
using bench::median;
using bench::runStart;

namespace {

constexpr int runCount = 365;
constexpr int recordedRunCount = 7;
constexpr int domainCount = 1000;

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

    QElapsedTimer timer;
    timer.start();
    double generated = 0;
    double recorded = 0;
    {
        const QString problem = bench::generateYear(list, runCount, domainCount);
        if (!problem.isEmpty()) {
            std::printf("%s\n", qPrintable(problem));
            return 1;
        }
        generated = msSince(timer);

        HistoryStore store(list);
        if (!store.open(HistoryStore::Mode::Write))
            return 1;
        timer.restart();
        for (int r = runCount; r < runCount + recordedRunCount; ++r) {
            bool ok = store.beginRun(runStart(r), FrontEnd::Window);
            for (int d = 0; d < domainCount && ok; ++d)
                ok = store.recordDomain(fetchesOf(r, d));
            if (!ok || !store.endRun(runStart(r).addSecs(4600), false)) {
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
