// An update run over 200 domains (1,000 fetches of a 20 KiB page) through UpdateResults on the real window
// (offscreen), against the same 1,000 fetches made by HttpRequest alone. Prints both times and their ratio, and
// what recording the run in the history adds to it.

#include "app/mainwindow.h"
#include "app/program.h"
#include "benchsupport.h"
#include "grid/gridwidget.h"
#include "support/fakedialogs.h"
#include "support/httptestserver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <vector>

using bench::domainName;
using bench::median;

namespace {

constexpr int domainCount = 200;

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    HttpTestServer server;
    QByteArray list;
    for (int i = 0; i < domainCount; ++i) {
        server.serveDomain(domainName(i), {i * 1000 + 1, i * 100 + 2, i * 10 + 3, i + 4, 5});
        list += domainName(i) + "|\r\n";
    }
    // One list whose runs are recorded, and one beside a history that cannot be kept (a file that is no
    // database), which records nothing: the difference is what recording costs.
    QTemporaryDir recordedDir;
    QTemporaryDir unrecordedDir;
    const QString recordedPath = recordedDir.filePath(QStringLiteral("brenlow.txt"));
    const QString unrecordedPath = unrecordedDir.filePath(QStringLiteral("brenlow.txt"));
    if (!writeFile(recordedPath, list) || !writeFile(unrecordedPath, list) ||
        !writeFile(HistoryStore::pathFor(unrecordedPath), QByteArray(4096, 'x')))
        return 1;
    FakeDialogs dialogs; // tells of the history not kept without waiting for anyone
    const auto start = [&](const QString& path) {
        ProgramOptions options;
        options.listFilePath = path;
        options.socketSettings = server.settings();
        options.locale = QLocale(QLocale::English, QLocale::UnitedStates);
        options.dialogs = &dialogs;
        auto program = std::make_unique<Program>(std::move(options));
        program->start();
        return program;
    };
    const std::unique_ptr<Program> recorded = start(recordedPath);
    const std::unique_ptr<Program> unrecorded = start(unrecordedPath);

    // Alternating rounds; the medians are reported, as a single run of a tenth of a second is noisy.
    constexpr int rounds = 11;
    bench::BareFetches bareFetches(server.settings());
    std::vector<double> bare;
    std::vector<double> run;
    std::vector<double> unrecordedRun;
    int failed = 0;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        failed += bareFetches.run(domainCount);
        bare.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        recorded->frmMain().UpdateResults(1, domainCount);
        run.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        unrecorded->frmMain().UpdateResults(1, domainCount);
        unrecordedRun.push_back(timer.nsecsElapsed() / 1e6);
    }

    std::printf("requests served            %d (%d bare fetches failed)\n", server.requestCount(), failed);
    std::printf("last row's total           %s\n", qPrintable(recorded->session().grid().cellText(domainCount, 1)));
    std::printf("1,000 bare HttpRequest     %8.1f ms (median of %d)\n", median(bare), rounds);
    std::printf("UpdateResults, 200 rows    %8.1f ms (median of %d)\n", median(run), rounds);
    std::printf("ratio                      %8.2f   goal <= 1.15\n", median(run) / median(bare));
    std::printf("the same, history not kept %8.1f ms (median of %d)\n", median(unrecordedRun), rounds);
    HistoryStore history(recordedPath);
    history.open(HistoryStore::Mode::Read);
    std::printf("recording adds             %8.1f %%   goal <= 5 %% (%d runs recorded)\n",
                (median(run) / median(unrecordedRun) - 1) * 100, int(history.runs().size()));
    return 0;
}
