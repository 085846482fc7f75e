// A year of daily runs over 1,000 domains (1,825,000 fetches, one in fifty failed) generated into a history in
// one transaction, as an import adds it; a further week of runs recorded as update runs record them, through the
// history's thread; the file's size and bytes per fetch; one domain's history read back; and the whole
// history exported as CSV and as JSON. Then a decade of daily runs over 1,000 domains (18,250,000 fetches)
// written as CSV and as JSON and each imported into an empty history: time and peak memory.

#include "benchsupport.h"
#include "history/historyfile.h"
#include "history/historythread.h"
#include "historyyear.h"

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

// The peak of the process's resident memory since the last reset, in MB.
double peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

// Resets the peak to what the process holds now (Linux 4.0 and later).
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

bool importDecade(const QTemporaryDir& dir)
{
    constexpr int decadeRuns = 3650;
    for (const HistoryFormat format : {HistoryFormat::Csv, HistoryFormat::Json}) {
        const char* name = format == HistoryFormat::Csv ? "CSV" : "JSON";
        const QString file =
            dir.filePath(format == HistoryFormat::Csv ? QStringLiteral("decade.csv") : QStringLiteral("decade.json"));
        {
            QFile out(file);
            if (!out.open(QIODevice::WriteOnly))
                return false;
            HistoryWriter writer(out, format);
            for (int r = 0; r < decadeRuns; ++r) {
                HistoryRun run = bench::runOf(r);
                for (int d = 0; d < domainCount; ++d)
                    run.domains.append(fetchesOf(r, d));
                if (!writer.write(run))
                    return false;
            }
            if (!writer.finish())
                return false;
        }
        QTemporaryDir target;
        HistoryStore store(target.filePath(QStringLiteral("brenlow.txt")));
        if (!store.open(HistoryStore::Mode::Write))
            return false;
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            return false;
        resetPeak();
        const double before = peakMegabytes();
        QElapsedTimer timer;
        timer.start();
        QString error;
        const std::optional<qint64> added = importHistory(store, in, format, error);
        const double seconds = msSince(timer) / 1000;
        std::printf("import a decade from %-4s  %8.1f s    %lld fetches from %.0f MB (%.0f MB/s); peak memory %.0f MB, "
                    "%.0f MB above the start (goal <= 64 MB)%s\n",
                    name, seconds, static_cast<long long>(added.value_or(-1)), in.size() / 1e6,
                    in.size() / 1e6 / seconds, peakMegabytes(), peakMegabytes() - before,
                    added ? "" : qPrintable(QStringLiteral(" FAILED: ") + error));
        in.close();
        QFile::remove(file);
        if (!added)
            return false;
    }
    return true;
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

        // As update runs record: through the history's thread, the domains handed over as fast as they come.
        HistoryThread history(list);
        history.start();
        timer.restart();
        for (int r = runCount; r < runCount + recordedRunCount; ++r) {
            history.beginRun(runStart(r), FrontEnd::Window);
            for (int d = 0; d < domainCount; ++d)
                history.recordDomain(fetchesOf(r, d));
            history.endRun(runStart(r).addSecs(4600), false);
            if (const std::optional<QString> problem = history.problem()) {
                std::printf("%s\n", qPrintable(*problem));
                return 1;
            }
        }
        recorded = msSince(timer);
    }
    const qint64 fetches = qint64(runCount + recordedRunCount) * domainCount * 5;
    const qint64 bytes = QFileInfo(HistoryStore::pathFor(list)).size();
    std::printf("generate %lld fetches     %8.1f ms   goal < 30000 ms\n", qint64(runCount) * domainCount * 5,
                generated);
    std::printf("record a run of 1,000      %8.1f ms   (as runs record, a commit at most every 50 ms; mean of %d runs: "
                "%.3f ms a domain)\n",
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

    // What the window reads at start to mark the counts whose last fetch failed: the listed domains' last fetches,
    // once when the newest run holds them all and once with a domain the history never saw.
    for (const bool unseen : {false, true}) {
        QList<QByteArray> listed;
        for (int d = 0; d < domainCount; ++d)
            listed.append(domainName(d));
        if (unseen)
            listed.append("never-fetched.example.com");
        qsizetype found = 0;
        timer.restart();
        store.lastFetches(listed, [&](const QByteArray&, int, const HistoryFetch&) { ++found; });
        std::printf("last fetches of the list   %8.1f ms   goal < 100 ms%s (%lld found)\n", msSince(timer),
                    unseen ? ", one never fetched among them" : "", static_cast<long long>(found));
    }

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
    return importDecade(dir) ? 0 : 1;
}
