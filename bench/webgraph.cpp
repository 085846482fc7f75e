// The web graph's scan on generated files of the real format: a ranks file of 10 million lines, a vertices file of
// as many and an edges file of 100 million lines, gzipped as the releases are. Prints the scan's speed beside
// that of `zcat FILE > /dev/null` on the same file, edge lines a second, and the peak memory with 10,000 listed
// domains. The files are made once in the folder given (default /tmp/brenlow-webgraph-bench) and kept.
//
//     webgraph [FOLDER] [--domains=N] [--edges=N]

#include "webgraph/graphname.h"
#include "webgraph/releasereading.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QRandomGenerator>
#include <QThread>

#include <zlib.h>

#include <cstdio>
#include <cstdlib>

#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

constexpr char Release[] = "bench-release";

QByteArray reversedName(qint64 i)
{
    return "com.domain-" + QByteArray::number(i);
}

// Writes lines made by line(i) for i from 0 to count - 1 into a gzip file, unless it is there already.
template <typename Line> void generate(const QString& path, qint64 count, const char* header, Line line)
{
    if (QFileInfo::exists(path))
        return;
    QDir().mkpath(QFileInfo(path).path());
    std::printf("making %s (%lld lines)...\n", qPrintable(path), static_cast<long long>(count));
    std::fflush(stdout);
    const QString partial = path + u".part"_s;
    gzFile out = gzopen(partial.toLocal8Bit().constData(), "wb6");
    gzbuffer(out, 1 << 20);
    if (header)
        gzputs(out, header);
    QByteArray buffer;
    for (qint64 i = 0; i < count; ++i) {
        line(i, buffer);
        if (buffer.size() > (1 << 20)) {
            gzwrite(out, buffer.constData(), unsigned(buffer.size()));
            buffer.clear();
        }
    }
    gzwrite(out, buffer.constData(), unsigned(buffer.size()));
    gzclose(out);
    QFile::rename(partial, path);
}

double seconds(const QElapsedTimer& clock)
{
    return double(clock.nsecsElapsed()) / 1e9;
}

double zcatSeconds(const QString& path)
{
    QElapsedTimer clock;
    clock.start();
    const QByteArray command = "zcat '" + path.toLocal8Bit() + "' > /dev/null";
    if (std::system(command.constData()) != 0)
        std::printf("zcat failed on %s\n", qPrintable(path));
    return seconds(clock);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QString folder = u"/tmp/brenlow-webgraph-bench"_s;
    qint64 domains = 10'000'000;
    qint64 edges = 100'000'000;
    for (const QString& argument : application.arguments().sliced(1)) {
        if (argument.startsWith(u"--domains="_s))
            domains = argument.sliced(10).toLongLong();
        else if (argument.startsWith(u"--edges="_s))
            edges = argument.sliced(8).toLongLong();
        else
            folder = argument;
    }
    const QString base = folder + u"/projects/hyperlinkgraph/%1/domain/%1-domain-"_s.arg(QLatin1StringView(Release));
    const QString ranksPath = base + u"ranks.txt.gz"_s;
    const QString verticesPath = base + u"vertices.txt.gz"_s;
    const QString edgesPath = base + u"edges.txt.gz"_s;
    // Domain i is at harmonic position i + 1; the values fall as Java writes floats and doubles.
    generate(ranksPath, domains, "#harmonicc_pos\t#harmonicc_val\t#pr_pos\t#pr_val\t#host_rev\t#n_hosts\n",
             [domains](qint64 i, QByteArray& out) {
                 out += QByteArray::number(i + 1) + '\t' + QByteArray::number(3.0e7 / double(i + 1), 'E', 7) + '\t' +
                        QByteArray::number(domains - i) + '\t' + QByteArray::number(1.0 / double(i + 7), 'E', 16) +
                        '\t' + reversedName(i) + '\t' + QByteArray::number(1 + i % 17) + '\n';
             });
    generate(verticesPath, domains, nullptr, [](qint64 i, QByteArray& out) {
        out += QByteArray::number(i) + '\t' + reversedName(i) + '\t' + QByteArray::number(1 + i % 17) + '\n';
    });
    // Sorted by source, a few targets each, no link to itself.
    QRandomGenerator random(7);
    const qint64 perDomain = std::max<qint64>(1, edges / domains);
    generate(edgesPath, edges, nullptr, [&](qint64 i, QByteArray& out) {
        const qint64 from = i / perDomain;
        qint64 to = random.bounded(domains);
        if (to == from)
            to = (to + 1) % domains;
        out += QByteArray::number(from) + '\t' + QByteArray::number(to) + '\n';
    });

    // 10,000 listed domains spread over the whole graph, as their names are written in a list.
    QList<QByteArray> listed;
    for (qint64 i = 0; i < 10'000; ++i)
        listed.append("www.domain-" + QByteArray::number(i * (domains / 10'000) + 3) + ".com");

    QNetworkAccessManager network;
    GraphDownload download(network, {"Brenlow/bench"});
    GraphNames names;
    ReleaseReading reading(download, names);
    QElapsedTimer clock;
    QList<double> fileSeconds(3, 0.0);
    int current = -1;
    QElapsedTimer fileClock;
    const auto progress = [&](const ReleaseReading::Progress& step) {
        if (int(step.file) != current) {
            if (current >= 0)
                fileSeconds[current] = seconds(fileClock);
            current = int(step.file);
            fileClock.start();
        }
    };
    GraphRelease release{QString::fromLatin1(Release), {}, 0, 0};
    clock.start();
    const auto figures = reading.read(release, QUrl::fromLocalFile(folder), listed, true, progress);
    fileSeconds[current] = seconds(fileClock);
    const double total = seconds(clock);
    if (!figures) {
        std::printf("the scan failed: %s\n", qPrintable(reading.error()));
        return 1;
    }
    qint64 found = 0;
    qint64 linking = 0;
    for (const auto& each : *figures) {
        found += each.second.found ? 1 : 0;
        linking += each.second.linkingDomains.value_or(0);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);

    std::printf("machine: %d cores (%s)\n", QThread::idealThreadCount(), qPrintable(QSysInfo::prettyProductName()));
    std::printf("listed: %lld domains, %lld found, %lld links to them counted\n", static_cast<long long>(listed.size()),
                static_cast<long long>(found), static_cast<long long>(linking));
    const char* fileNames[] = {"ranks", "vertices", "edges"};
    const QString paths[] = {ranksPath, verticesPath, edgesPath};
    const qint64 lines[] = {domains, domains, edges};
    for (int f = 0; f < 3; ++f) {
        const double zcat = zcatSeconds(paths[f]);
        std::printf(
            "%-8s %6.0f MB gzip: scan %6.2f s, zcat %6.2f s, scan at %3.0f%% of zcat's speed, %5.1f M lines/s\n",
            fileNames[f], double(QFileInfo(paths[f]).size()) / 1e6, fileSeconds[f], zcat, 100.0 * zcat / fileSeconds[f],
            double(lines[f]) / fileSeconds[f] / 1e6);
    }
    std::printf("whole read: %.2f s; peak memory %.1f MB\n", total, double(usage.ru_maxrss) / 1024.0);
    return 0;
}
