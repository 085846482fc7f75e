// brenlow-cli update over 1,000 domains (5,000 fetches of a 20 KiB page) against the engines on loopback, the
// whole process included (start, load, save), beside the same 5,000 fetches made by HttpRequest alone; and the
// peak memory of brenlow-cli show over a list of 32,767 domains.

#include "benchsupport.h"
#include "support/httptestserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

#include <sys/resource.h>

using bench::domainName;
using bench::median;

namespace {

constexpr int domainCount = 1000;
constexpr int largeListCount = 32767;

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Runs brenlow-cli to its end; its exit status, -1 when it did not end by itself.
int runCli(const QStringList& arguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QStringLiteral(BRENLOW_CLI), arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QTemporaryDir dir;

    // Peak memory of show over the largest list, measured first, as the children's peak only ever grows.
    QByteArray large;
    for (int i = 0; i < largeListCount; ++i)
        large += domainName(i) + "|AllTheWeb=1,234,567|AltaVista=2,345|Google=345,678|HotBot=45|MSN=5,678,901|\r\n";
    const QString largeList = dir.filePath(QStringLiteral("large.txt"));
    if (!writeFile(largeList, large) || runCli({QStringLiteral("--list"), largeList, QStringLiteral("show")}) != 0)
        return 1;
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    std::printf("show over %d domains      peak memory %.1f MiB\n", largeListCount, children.ru_maxrss / 1024.0);

    HttpTestServer server;
    QByteArray list;
    for (int i = 0; i < domainCount; ++i) {
        server.serveDomain(domainName(i), {i * 1000 + 1, i * 100 + 2, i * 10 + 3, i + 4, 5});
        list += domainName(i) + "|\r\n";
    }
    const QString path = dir.filePath(QStringLiteral("brenlow.txt"));
    const QStringList update = {QStringLiteral("--list"), path, QStringLiteral("--connect-to"),
                                QStringLiteral("127.0.0.1:%1").arg(server.port()), QStringLiteral("update")};

    // Alternating rounds; the medians are reported.
    constexpr int rounds = 5;
    bench::BareFetches bareFetches(server.settings());
    std::vector<double> bare;
    std::vector<double> cli;
    int failed = 0;
    for (int round = 0; round < rounds; ++round) {
        if (!writeFile(path, list))
            return 1;
        QElapsedTimer timer;
        timer.start();
        failed += bareFetches.run(domainCount);
        bare.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        failed += runCli(update) == 0 ? 0 : 1;
        cli.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("requests served            %d (%d failures)\n", server.requestCount(), failed);
    std::printf("5,000 bare HttpRequest     %8.1f ms (median of %d)\n", median(bare), rounds);
    std::printf("brenlow-cli update, 1,000  %8.1f ms (median of %d)\n", median(cli), rounds);
    std::printf("ratio                      %8.2f   goal <= 1.10\n", median(cli) / median(bare));
    return failed == 0 ? 0 : 1;
}
