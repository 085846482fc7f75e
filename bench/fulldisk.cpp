// The smallest free space at which brenlow-cli update over 1,000 domains, recording a new history, still saves
// its list: each try mounts a small file system of its own (root only), writes the list there, fills the rest up
// to the free space tried, and runs the update against the engines on loopback. A binary search in steps of
// 4 KiB. Another brenlow-cli may be named as the first argument, to measure an earlier version the same way.

#include "benchsupport.h"
#include "support/httptestserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

using bench::domainName;

namespace {

constexpr int domainCount = 1000;
constexpr qint64 Step = 4096;

qint64 freeSpace(const QString& folder)
{
    struct statvfs status {};
    ::statvfs(QFile::encodeName(folder).constData(), &status);
    return qint64(status.f_bavail) * qint64(status.f_frsize);
}

struct Outcome {
    bool saved = false;
    int status = -1;
    qint64 historyBytes = 0;
};

// One update with free bytes left beside the list.
Outcome tryFree(const QString& cli, int port, const QByteArray& list, const QByteArray& updated, qint64 free)
{
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    if (::mount("tmpfs", folder.constData(), "tmpfs", 0, "size=64m") != 0)
        return {};
    const QString path = dir.filePath(QStringLiteral("brenlow.txt"));
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(list);
        QFile filler(dir.filePath(QStringLiteral("filler")));
        filler.open(QIODevice::WriteOnly);
        filler.write(QByteArray(std::max<qint64>(freeSpace(dir.path()) - free, 0), 'x'));
    }
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(cli, {QStringLiteral("--list"), path, QStringLiteral("--connect-to"),
                        QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("update")});
    process.waitForFinished(-1);
    Outcome outcome;
    outcome.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    QFile saved(path);
    outcome.saved = saved.open(QIODevice::ReadOnly) && saved.readAll() == updated;
    outcome.historyBytes = QFileInfo(path + QStringLiteral(".history.sqlite")).size();
    ::umount2(folder.constData(), MNT_DETACH);
    return outcome;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (::geteuid() != 0) {
        std::printf("mounting a small file system takes root\n");
        return 1;
    }
    const QString cli = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(BRENLOW_CLI);
    HttpTestServer server;
    QByteArray list;
    QByteArray updated;
    for (int i = 0; i < domainCount; ++i) {
        server.serveDomain(domainName(i), {i * 1000 + 1, i * 100 + 2, i * 10 + 3, i + 4, 5});
        list += domainName(i) + "|AllTheWeb=0|AltaVista=0|Google=0|HotBot=0|MSN=0|\r\n";
        const auto count = [](qint64 n) { return QLocale(QLocale::English).toString(n).toUtf8(); };
        updated += domainName(i) + "|AllTheWeb=" + count(i * 1000 + 1) + "|AltaVista=" + count(i * 100 + 2) +
                   "|Google=" + count(i * 10 + 3) + "|HotBot=" + count(i + 4) + "|MSN=5|\r\n";
    }
    std::printf("%s, a list of %d domains, %lld bytes, %lld bytes once updated\n", qPrintable(cli), domainCount,
                static_cast<long long>(list.size()), static_cast<long long>(updated.size()));
    qint64 low = 0;                 // the list is not saved
    qint64 high = 32 * 1024 * 1024; // the list is saved
    if (const Outcome plenty = tryFree(cli, server.port(), list, updated, high); !plenty.saved) {
        std::printf("not saved even with %lld bytes free (status %d)\n", static_cast<long long>(high), plenty.status);
        return 1;
    }
    while (high - low > Step) {
        const qint64 middle = (low + high) / 2 / Step * Step;
        const Outcome outcome = tryFree(cli, server.port(), list, updated, middle);
        std::printf("  %7lld bytes free: status %d, list %s, history %lld bytes\n", static_cast<long long>(middle),
                    outcome.status, outcome.saved ? "saved" : "NOT saved",
                    static_cast<long long>(outcome.historyBytes));
        (outcome.saved ? high : low) = middle;
    }
    std::printf("smallest free space that saves the list: %lld bytes (%.2f times the updated list)\n",
                static_cast<long long>(high), double(high) / double(updated.size()));
    return 0;
}
