// brenlow-cli update over 1,000 domains (5,000 fetches of a 20 KiB page) against the engines on loopback, the
// whole process included (start, load, save), beside the same 5,000 fetches made by HttpRequest alone and an
// update whose history cannot be kept (what recording adds); the time
// and peak memory of brenlow-cli show, as a table and as json, over a list of 32,767 domains; and remove of
// 1,000 domains from a list of 100,000.

#include "benchsupport.h"
#include "support/httptestserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

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
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QStringLiteral(BRENLOW_CLI), arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

// Runs brenlow-cli to its end, standard output thrown away, and says how long it took and its peak memory.
struct Measured {
    int status = -1;
    double milliseconds = 0;
    double peakMiB = 0;
};

Measured runMeasured(const QStringList& arguments)
{
    QList<QByteArray> words{QByteArray(BRENLOW_CLI)};
    for (const QString& argument : arguments)
        words.append(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t child = 0;
    Measured measured;
    if (posix_spawn(&child, argv.front(), &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage usage{};
        if (wait4(child, &status, 0, &usage) == child && WIFEXITED(status))
            measured = {WEXITSTATUS(status), timer.nsecsElapsed() / 1e6, usage.ru_maxrss / 1024.0};
    }
    posix_spawn_file_actions_destroy(&actions);
    return measured;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QTemporaryDir dir;

    // show over the largest list.
    QByteArray large;
    for (int i = 0; i < largeListCount; ++i)
        large += domainName(i) + "|AllTheWeb=1,234,567|AltaVista=2,345|Google=345,678|HotBot=45|MSN=5,678,901|\r\n";
    const QString largeList = dir.filePath(QStringLiteral("large.txt"));
    if (!writeFile(largeList, large))
        return 1;
    for (const QString& format : {QStringLiteral("table"), QStringLiteral("json")}) {
        const Measured show = runMeasured(
            {QStringLiteral("--list"), largeList, QStringLiteral("show"), QStringLiteral("--format"), format});
        std::printf("show --format %-5s %d      %8.1f ms, peak memory %.1f MiB (status %d)\n", qPrintable(format),
                    largeListCount, show.milliseconds, show.peakMiB, show.status);
    }

    // remove of 1,000 domains named on the command line from a list of 100,000.
    QByteArray hundredThousand;
    for (int i = 0; i < 100000; ++i)
        hundredThousand += domainName(i) + "|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n";
    const QString longList = dir.filePath(QStringLiteral("long.txt"));
    QStringList remove{QStringLiteral("--list"), longList, QStringLiteral("remove")};
    for (int i = 0; i < 100000; i += 100)
        remove.append(QString::fromLatin1(domainName(i)));
    if (!writeFile(longList, hundredThousand))
        return 1;
    const Measured removed = runMeasured(remove);
    std::printf("remove 1,000 of 100,000     %8.1f ms   goal < 2000 ms (status %d)\n", removed.milliseconds,
                removed.status);

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
    constexpr int rounds = 9;
    bench::BareFetches bareFetches(server.settings());
    std::vector<double> bare;
    std::vector<double> cli;
    std::vector<double> unrecorded;
    int failed = 0;
    const QString history = path + QStringLiteral(".history.sqlite");
    const QString kept = path + QStringLiteral(".kept.sqlite");
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
        // A file that is no history keeps none; the real one waits aside meanwhile.
        if (!QFile::rename(history, kept) || !writeFile(history, QByteArray(4096, 'x')))
            return 1;
        timer.restart();
        failed += runCli(update) == 0 ? 0 : 1;
        unrecorded.push_back(timer.nsecsElapsed() / 1e6);
        if (!QFile::remove(history) || !QFile::rename(kept, history))
            return 1;
    }
    std::printf("requests served            %d (%d failures)\n", server.requestCount(), failed);
    std::printf("5,000 bare HttpRequest     %8.1f ms (median of %d)\n", median(bare), rounds);
    std::printf("brenlow-cli update, 1,000  %8.1f ms (median of %d)\n", median(cli), rounds);
    std::printf("ratio                      %8.2f   goal <= 1.10\n", median(cli) / median(bare));
    std::printf("the same, history not kept %8.1f ms (median of %d)\n", median(unrecorded), rounds);
    std::printf("recording adds             %8.1f %%   goal <= 5 %%\n", (median(cli) / median(unrecorded) - 1) * 100);
    return failed == 0 ? 0 : 1;
}
