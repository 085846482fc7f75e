#include "engine/counttext.h"
#include "engine/enginecatalogue.h"
#include "grid/domaingrid.h"
#include "history/historyfile.h"
#include "history/historyrecorder.h"
#include "history/historystore.h"
#include "net/busypointer.h"
#include "net/httpfetcher.h"
#include "net/posixsocket.h"
#include "net/sockethost.h"
#include "sources/sourcecatalogue.h"
#include "support/httptestserver.h"
#include "workflows/listsession.h"
#include "workflows/updaterun.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>

#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

QDateTime utc(int hour, int minute, int ms = 0)
{
    return QDateTime(QDate(2026, 12, 7), QTime(hour, minute).addMSecs(ms), Qt::UTC);
}

// An update run over a list without a grid that records into a history in a temporary folder, its requests going to a
// loopback server that plays the engines. Its clock starts at 9:00 UTC and moves on a second each time it is
// read. Rows 1 and 2 hold a.com and b.com.
struct RecordingRig : UpdateRunControls, BusyPointer {
    RecordingRig()
        : host(posixSocketFactory(pump, server.settings(10s)), pump)
        , fetcher(host, *this, pump, {})
        , history(dir.filePath(u"brenlow.txt"_s))
        , recorder(
              history, FrontEnd::CommandLine, [this](const QString& problem) { notKept.append(problem); },
              [this] { return tick(); })
        , run(grid, sources, fetcher, *this, [this] { return tick(); })
    {
        list.append("a.com");
        list.append("b.com");
        server.serveDomain("a.com", {10, 20, 30, 40, 50});
        server.serveDomain("b.com", {1, 2, 3, 4, 5});
    }

    QDateTime tick() { return utc(9, 0).addSecs(seconds++); }

    // What another program reading the history now finds.
    QList<HistoryRun> written() const
    {
        HistoryStore reader(dir.filePath(u"brenlow.txt"_s));
        return reader.open(HistoryStore::Mode::Read) ? reader.runs() : QList<HistoryRun>{};
    }

    // What it finds once the writes of the domains handed over so far have come (waiting for them, within
    // bounds): count runs, the last with domains domains.
    QList<HistoryRun> writtenOnceThere(int runs, int domains) const
    {
        QList<HistoryRun> found;
        QDeadlineTimer deadline(10s);
        do
            found = written();
        while ((found.size() < runs || found.last().domains.size() < domains) && !deadline.hasExpired());
        return found;
    }

    // The run's controls hand every run and fetch to the recorder, as the session's do.
    void enterRunningState() override
    {
        ++entered;
        recorder.runStarted();
    }
    void leaveRunningState() override
    {
        ++left;
        recorder.runEnded(run.lastRun().ended, run.lastRun().cancelled);
        recorder.tellProblem();
    }
    void showProgress(qint64, qint64) override {}
    void fetchEnded(const FetchReport& report) override
    {
        ++fetches;
        recorder.fetched(report.row, report.domain, report.engine,
                         {report.at, report.count, report.failure, report.kept});
    }
    void setBusy(bool) override {}

    QTemporaryDir dir;
    HttpTestServer server;
    DomainList list{QString()};
    EngineTables engines = EngineTables::initialised();
    CountText countText{QLocale(QLocale::English, QLocale::UnitedStates)};
    DomainGrid grid{nullptr, list, engines, countText};
    std::function<void()> duringWaits;
    EventPump pump = [this] {
        if (duringWaits)
            duringWaits();
    };
    SocketHost host;
    HttpFetcher fetcher;
    SourceCatalogue sources{engines, fetcher};
    HistoryThread history;
    HistoryRecorder recorder;
    UpdateRun run;
    int seconds = 0;
    int entered = 0;
    int left = 0;
    int fetches = 0;
    QStringList notKept;
};

TEST(HistoryRecorder, RecordsEveryFetchOfARunWithItsFailures)
{
    RecordingRig rig;
    rig.history.start();
    rig.server.answer(linkQueries("a.com")[3], ServerReply::page(httpPage("", "503 Service Unavailable")));
    // a.com is written while b.com's requests go out: a crash from then on loses only b.com.
    QList<HistoryRun> whileBRuns;
    rig.duringWaits = [&] {
        if (whileBRuns.isEmpty() && rig.server.requestCount(linkQueries("b.com")[0]) == 1)
            whileBRuns = rig.writtenOnceThere(1, 1);
    };
    rig.run.UpdateResults(1, 2);

    ASSERT_EQ(whileBRuns.size(), 1);
    ASSERT_EQ(whileBRuns[0].domains.size(), 1);
    EXPECT_EQ(whileBRuns[0].domains[0].domain, "a.com");
    EXPECT_FALSE(whileBRuns[0].ended.isValid());

    EXPECT_EQ(rig.history.problem(), std::nullopt);
    const QList<HistoryRun> runs = rig.written();
    ASSERT_EQ(runs.size(), 1);
    const HistoryRun& run = runs[0];
    EXPECT_EQ(run.started, utc(9, 0, 0));
    EXPECT_EQ(run.ended, utc(9, 0).addSecs(11)); // after the start and ten fetches
    EXPECT_EQ(run.frontEnd, FrontEnd::CommandLine);
    EXPECT_FALSE(run.cancelled);
    ASSERT_EQ(run.domains.size(), 2);
    const auto& a = run.domains[0].domain == "a.com" ? run.domains[0] : run.domains[1];
    const auto& b = run.domains[0].domain == "a.com" ? run.domains[1] : run.domains[0];
    const std::array<std::optional<qint64>, 5> aCounts{10, 20, 30, std::nullopt, 50};
    for (std::size_t e = 0; e < 5; ++e) {
        EXPECT_EQ(a.engines[e].count, aCounts[e]) << e;
        EXPECT_EQ(b.engines[e].count, qint64(e + 1)) << e;
        EXPECT_EQ(b.engines[e].at, utc(9, 0).addSecs(qint64(e) + 6)) << e;
    }
    EXPECT_EQ(a.engines[3].failure.kind, FetchFailure::ErrorStatus);
    EXPECT_EQ(a.engines[3].failure.status, 503);
    EXPECT_EQ(a.engines[3].failure.statusText, "Service Unavailable");
    EXPECT_EQ(rig.fetches, 10);
    EXPECT_EQ(rig.notKept, QStringList());
}

TEST(HistoryRecorder, ACancelledRunKeepsWhatItFetched)
{
    RecordingRig rig;
    rig.history.start();
    rig.server.answer(linkQueries("a.com")[2], ServerReply::silence());
    rig.duringWaits = [&] {
        if (rig.server.requestCount(linkQueries("a.com")[2]) == 1)
            rig.fetcher.requestCancel();
    };
    rig.run.UpdateResults(1, 2);
    EXPECT_EQ(rig.history.problem(), std::nullopt);
    const QList<HistoryRun> runs = rig.written();
    ASSERT_EQ(runs.size(), 1);
    EXPECT_TRUE(runs[0].cancelled);
    ASSERT_EQ(runs[0].domains.size(), 1);
    const DomainFetches& a = runs[0].domains[0];
    EXPECT_EQ(a.engines[1].count, 20);
    EXPECT_EQ(a.engines[2].failure.kind, FetchFailure::Cancelled);
    EXPECT_FALSE(a.engines[3].made());
}

TEST(HistoryRecorder, AHistoryThatCannotBeKeptIsToldOnceAndTheRunGoesOn)
{
    RecordingRig rig;
    HistoryStore store(rig.dir.filePath(u"brenlow.txt"_s));
    QFile garbage(store.filePath());
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(2048, '\x7f'));
    garbage.close();
    EXPECT_FALSE(store.open(HistoryStore::Mode::Write));
    rig.history.start();
    rig.run.UpdateResults(1, 2);
    rig.run.UpdateResults(1, 1);
    EXPECT_EQ(rig.notKept, QStringList{store.problemText()});
    EXPECT_TRUE(rig.notKept[0].contains(u"is not a Brenlow history"_s));
    EXPECT_EQ(rig.grid.cellText(2, 6), u"5"_s);
    EXPECT_EQ(rig.fetches, 15);
    EXPECT_EQ(rig.entered, 2);
    EXPECT_EQ(rig.left, 2);
}

// A list in a folder where no lock can be made, not even by root: its runs are not recorded, and the first says so.
TEST(HistoryRecorder, ASessionWithoutTheListsLockKeepsNoHistoryAndSaysSo)
{
    struct : UpdateRunControls {
        void enterRunningState() override {}
        void leaveRunningState() override {}
        void showProgress(qint64, qint64) override {}
        void fetchEnded(const FetchReport&) override {}
    } controls;
    QStringList notKept;
    SessionOptions options;
    options.listFilePath = u"/proc/self/brenlow.txt"_s;
    options.historyNotKept = [&notKept](const QString& problem) { notKept.append(problem); };
    ListSession session(std::move(options));
    session.showIn(controls);
    EXPECT_TRUE(session.lock(false));
    session.run().UpdateResults(1, 0);
    session.run().UpdateResults(1, 0);
    ASSERT_EQ(notKept.size(), 1);
    EXPECT_EQ(notKept[0], u"the history file /proc/%1/brenlow.txt.history.sqlite is written only while the list is "
                          "locked, and the lock file /proc/%1/brenlow.txt.lock cannot be made: No such file or "
                          "directory"_s.arg(QCoreApplication::applicationPid()))
        << notKept[0].toStdString();
    EXPECT_FALSE(QFile::exists(u"/proc/self/brenlow.txt.history.sqlite"_s));
}

// A list of domains d1.com to d<count>.com in a session that records its runs, the engines played by a loopback
// server that finds 1 to 5 for each; what the history could not keep is told to notKept.
struct RecordingSession : UpdateRunControls {
    RecordingSession(const QString& folder, int count, HistoryStore::FreeSpace freeSpace)
        : list(QDir(folder).filePath(u"brenlow.txt"_s))
    {
        QFile file(list);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        for (int i = 1; i <= count; ++i) {
            const QByteArray domain = "d" + QByteArray::number(i) + ".com";
            file.write(domain + "|AllTheWeb=0|AltaVista=0|Google=0|HotBot=0|MSN=0|\r\n");
            server.serveDomain(domain, {1, 2, 3, 4, 5});
        }
        file.close();
        SessionOptions options;
        options.listFilePath = list;
        options.socketSettings = server.settings(10s);
        options.historyFreeSpace = std::move(freeSpace);
        options.historyNotKept = [this](const QString& problem) { notKept.append(problem); };
        session.emplace(std::move(options));
        session->showIn(*this);
        EXPECT_TRUE(session->lock(true));
        EXPECT_TRUE(session->load());
    }

    void enterRunningState() override {}
    void leaveRunningState() override {}
    void showProgress(qint64, qint64) override {}
    void fetchEnded(const FetchReport&) override {}

    QByteArray listBytes() const
    {
        QFile file(list);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // The domains that the history holds of its runs.
    QList<qsizetype> recordedDomains() const
    {
        HistoryStore reader(list);
        QList<qsizetype> domains;
        if (reader.open(HistoryStore::Mode::Read)) {
            for (const HistoryRun& run : reader.runs())
                domains.append(run.domains.size());
        }
        return domains;
    }

    QString list;
    HttpTestServer server;
    QStringList notKept;
    std::optional<ListSession> session;
};

QByteArray updatedList(int count)
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += "d" + QByteArray::number(i) + ".com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n";
    return bytes;
}

// The disk fills while the run goes on: the first look at it finds 400 KiB free, every later one nothing. The
// history gives way while the list's save still has room: the run's counts are all saved, the history keeps what
// fitted and says so once.
TEST(HistoryRecorder, ADiskThatFillsStopsTheHistoryAndTheListIsStillSaved)
{
    QTemporaryDir dir;
    std::atomic<int> looks{0};
    RecordingSession rig(dir.path(), 20,
                         [&looks](const QString&) { return std::optional<qint64>(looks++ == 0 ? 400 * 1024 : 0); });
    rig.session->run().UpdateResults(1, rig.session->domains().count());
    rig.session->run().UpdateResults(1, rig.session->domains().count());
    EXPECT_TRUE(rig.session->save()) << rig.session->problemText().toStdString();
    EXPECT_EQ(rig.listBytes(), updatedList(20));
    ASSERT_EQ(rig.notKept.size(), 1);
    EXPECT_EQ(rig.notKept[0], u"the disk that holds the history file %1 is full or nearly so; the history stops "
                              "there, and what it holds stays, so that the domain list can still be saved"_s.arg(
                                  HistoryStore::pathFor(rig.list)));
    // The first run, with the domains that fitted: as the disk is looked at again a tenth of a second after the
    // last look, a slow machine may find it full before the first domain, and the run keeps none.
    const QList<qsizetype> domains = rig.recordedDomains();
    ASSERT_EQ(domains.size(), 1);
    EXPECT_LT(domains[0], 20);
}

// A small file system of its own, mounted for the test (root only), with a filler file that leaves free what
// the test asks.
class SmallFileSystem {
public:
    SmallFileSystem(const QString& folder, qint64 size)
        : m_folder(folder)
    {
        const QByteArray options = "size=" + QByteArray::number(size);
        m_mounted = ::geteuid() == 0 &&
                    ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallFileSystem()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    qint64 freeSpace() const
    {
        struct statvfs status {};
        ::statvfs(QFile::encodeName(m_folder).constData(), &status);
        return qint64(status.f_bavail) * qint64(status.f_frsize);
    }
    // Fills the file system until free bytes are left.
    void leaveFree(qint64 free)
    {
        QFile filler(QDir(m_folder).filePath(u"filler"_s));
        filler.open(QIODevice::WriteOnly | QIODevice::Append);
        const qint64 fill = freeSpace() - free;
        if (fill > 0)
            filler.write(QByteArray(fill, 'x'));
    }

private:
    QString m_folder;
    bool m_mounted = false;
};

// On a real file system that fills: the history stops as it finds the disk nearly full, or, when its look at the
// disk is fooled, as SQLite finds it full; either way the whole run reaches the list.
TEST(HistoryRecorder, OnAFileSystemThatFillsTheListIsStillSaved)
{
    const struct {
        const char* what;
        qint64 free;
        bool lookFooled;
    } cases[] = {
        {"the history stops itself", 272 * 1024, false},
        {"the disk is full under the history", 12 * 1024, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        SmallFileSystem disk(dir.path(), 1024 * 1024);
        if (!disk.mounted())
            GTEST_SKIP() << "mounting a small file system takes root";
        const auto plenty = [](const QString&) { return std::optional<qint64>(1LL << 40); };
        RecordingSession rig(dir.path(), 40,
                             c.lookFooled ? HistoryStore::FreeSpace(plenty) : HistoryStore::FreeSpace());
        disk.leaveFree(c.free);
        rig.session->run().UpdateResults(1, rig.session->domains().count());
        EXPECT_TRUE(rig.session->save()) << rig.session->problemText().toStdString();
        EXPECT_EQ(rig.listBytes(), updatedList(40));
        ASSERT_EQ(rig.notKept.size(), 1);
        EXPECT_TRUE(rig.notKept[0].contains(u" is full or nearly so"_s)) << rig.notKept[0].toStdString();
        EXPECT_TRUE(QDir(dir.path()).entryList({u"*-journal"_s}, QDir::Files).isEmpty());
        const QList<qsizetype> domains = rig.recordedDomains();
        EXPECT_LE(domains.value(0), 39);
    }
}

// Two runs with every kind of thing an export must carry: a failure with a detail, a fetch never made, an
// unfinished run, a run without fetches, a domain with bytes that are not printable ASCII and a reason that is
// not ASCII.
QList<HistoryRun> sampleRuns()
{
    HistoryRun first{u"run-1"_s, utc(9, 0), utc(9, 5), FrontEnd::Window, false, {}};
    DomainFetches odd("caf\xe9,\"x\"%.com");
    for (std::size_t e = 0; e < 5; ++e)
        odd.engines[e] = {utc(9, 1, int(e)), qint64(e) * 1000000007LL, {}, {}};
    odd.engines[1] = {
        utc(9, 2), std::nullopt, {FetchFailure::ErrorStatus, 503, "Service, \"Unavailable\"", 0, 0}, 1200};
    odd.engines[2] = {utc(9, 3), std::nullopt, {FetchFailure::ShortBody, 0, {}, 1000, 73}, {}};
    odd.engines[3] = {utc(9, 4), std::nullopt, {FetchFailure::ErrorStatus, 418, "I'm a \"teapot\"", 0, 0}, {}};
    odd.engines[4] = {};
    first.domains = {odd};
    HistoryRun unfinished{u"run-2"_s, utc(10, 0), {}, FrontEnd::CommandLine, true, {}};
    HistoryRun empty{u"run-3"_s, utc(11, 0), utc(11, 0, 1), FrontEnd::CommandLine, false, {}};
    DomainFetches b("b.com");
    b.engines[0] = {utc(10, 1), std::nullopt, {FetchFailure::TimedOut, 0, {}, 0, 0}, {}};
    b.engines[1] = {utc(10, 2), std::nullopt, {FetchFailure::ErrorStatus, 503, "Caf\xc3\xa9", 0, 0}, {}};
    unfinished.domains = {b};
    return {first, unfinished, empty};
}

QByteArray exported(HistoryStore& store, HistoryFormat format)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QString error;
    EXPECT_TRUE(exportHistory(store, buffer, format, error)) << error.toStdString();
    return buffer.data();
}

std::optional<qint64> imported(HistoryStore& store, QByteArray bytes, HistoryFormat format, QString& error,
                               const StopRequested& stop = {})
{
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    return importHistory(store, in, format, error, stop);
}

// A history in a folder of its own, open to write.
struct ScratchHistory {
    ScratchHistory()
        : store(dir.filePath(u"brenlow.txt"_s))
    {
        EXPECT_TRUE(store.open(HistoryStore::Mode::Write)) << store.problemText().toStdString();
    }
    QTemporaryDir dir;
    HistoryStore store;
};

const QByteArray csvHeader =
    "run,run_started,run_ended,front_end,cancelled,domain,engine,at,count,failure,detail,kept\r\n";
// The header of 1.3's exports, whose lines had no kept count.
const QByteArray csvHeaderVersion2 =
    "run,run_started,run_ended,front_end,cancelled,domain,engine,at,count,failure,detail\r\n";

TEST(HistoryFile, AnExportImportedIntoAnEmptyHistoryIsTheSameHistory)
{
    ScratchHistory original;
    QString error;
    ASSERT_EQ(original.store.import(sampleRuns(), error), 6) << error.toStdString();
    const QByteArray run1 = "run-1,2026-12-07T09:00:00.000Z,2026-12-07T09:05:00.000Z,window,false,"
                            "\"caf%E9,\"\"x\"\"%25.com\",";
    const QByteArray run2 = "run-2,2026-12-07T10:00:00.000Z,,command-line,true,b.com,";
    EXPECT_EQ(exported(original.store, HistoryFormat::Csv),
              csvHeader + run1 + "AllTheWeb,2026-12-07T09:01:00.000Z,0,,,\r\n" + run1 +
                  "AltaVista,2026-12-07T09:02:00.000Z,,error-status,\"503 Service, \"\"Unavailable\"\"\",1200\r\n" +
                  run1 + "Google,2026-12-07T09:03:00.000Z,,short-body,1000 73,\r\n" + run1 +
                  "HotBot,2026-12-07T09:04:00.000Z,,error-status,\"418 I'm a \"\"teapot\"\"\",\r\n" + run2 +
                  "AllTheWeb,2026-12-07T10:01:00.000Z,,timed-out,,\r\n" + run2 +
                  "AltaVista,2026-12-07T10:02:00.000Z,,error-status,503 Caf\xc3\xa9,\r\n"
                  "run-3,2026-12-07T11:00:00.000Z,2026-12-07T11:00:00.001Z,command-line,false,,,,,,,\r\n");

    // The JSON library's own reader takes the export whole, reasons outside ASCII and all.
    const QByteArray json = exported(original.store, HistoryFormat::Json);
    const nlohmann::json document = nlohmann::json::parse(json.toStdString(), nullptr, false);
    ASSERT_FALSE(document.is_discarded()) << json.toStdString();
    EXPECT_EQ(document["brenlowHistory"], 4);
    EXPECT_EQ(document["runs"][0]["fetches"][1].value("kept", -1), 1200);
    ASSERT_EQ(document["runs"].size(), 3u);
    EXPECT_EQ(document["runs"][0]["id"], "run-1");
    EXPECT_EQ(document["runs"][0]["fetches"][0]["domain"], "caf%E9,\"x\"%25.com");
    EXPECT_EQ(document["runs"][1]["ended"], nullptr);
    EXPECT_EQ(document["runs"][1]["fetches"][1]["detail"], "503 Caf\xc3\xa9");
    EXPECT_EQ(document["runs"][2]["fetches"].size(), 0u);

    for (const HistoryFormat format : {HistoryFormat::Csv, HistoryFormat::Json}) {
        SCOPED_TRACE(static_cast<int>(format));
        const QByteArray file = exported(original.store, format);
        ScratchHistory copy;
        EXPECT_EQ(imported(copy.store, file, format, error), 6) << error.toStdString();
        EXPECT_EQ(exported(copy.store, format).toStdString(), file.toStdString());
        EXPECT_EQ(exported(copy.store, HistoryFormat::Csv).toStdString(),
                  exported(original.store, HistoryFormat::Csv).toStdString());
        EXPECT_EQ(imported(copy.store, file, format, error), 0);
        EXPECT_EQ(exported(copy.store, format), file);
    }
}

TEST(HistoryFile, LinesOfARunComeInAnyOrderAndAFetchMissingFromAHeldRunIsAdded)
{
    ScratchHistory original;
    QString error;
    ASSERT_EQ(original.store.import(sampleRuns(), error), 6);
    const QByteArray file = exported(original.store, HistoryFormat::Csv);
    QList<QByteArray> lines = file.split('\n');
    lines.removeFirst(); // the header
    lines.removeAll(QByteArray());
    // In engine order, then backwards: the runs' lines apart and interleaved.
    QList<QByteArray> byEngine = lines;
    std::stable_sort(byEngine.begin(), byEngine.end(), [](const QByteArray& a, const QByteArray& b) {
        const auto engine = [](const QByteArray& line) { return line.mid(line.lastIndexOf(".com") + 4); };
        return engine(a) < engine(b);
    });
    QList<QByteArray> backwards(lines.crbegin(), lines.crend());
    for (const QList<QByteArray>& order : {byEngine, backwards}) {
        ScratchHistory copy;
        EXPECT_EQ(imported(copy.store, csvHeader + order.join('\n') + '\n', HistoryFormat::Csv, error), 6)
            << error.toStdString();
        EXPECT_EQ(exported(copy.store, HistoryFormat::Csv), file);
    }

    // JSON with its members in the order of their names (as jq -S writes them): a run's fetches come before its
    // start and identity.
    const nlohmann::json sorted = nlohmann::json::parse(exported(original.store, HistoryFormat::Json).toStdString());
    ScratchHistory fromSorted;
    EXPECT_EQ(imported(fromSorted.store, QByteArray::fromStdString(sorted.dump(1)), HistoryFormat::Json, error), 6)
        << error.toStdString();
    EXPECT_EQ(exported(fromSorted.store, HistoryFormat::Csv), file);

    // A run's identity after its fetches, its other members before them.
    ScratchHistory lateIdentity;
    const QByteArray late = R"({"brenlowHistory":2,"runs":[{"started":"2026-12-07T09:00:00.000Z","ended":null,)"
                            R"("frontEnd":"window","cancelled":false,"fetches":[{"domain":"a.com","engine":"MSN",)"
                            R"("at":"2026-12-07T09:01:00.000Z","count":5}],"id":"r9"}]})";
    EXPECT_EQ(imported(lateIdentity.store, late, HistoryFormat::Json, error), 1) << error.toStdString();
    ASSERT_EQ(lateIdentity.store.runs().size(), 1);
    EXPECT_EQ(lateIdentity.store.runs()[0].identity, u"r9"_s);

    ScratchHistory partial;
    QList<QByteArray> withoutHotBot = lines;
    withoutHotBot.removeAt(3);
    ASSERT_EQ(imported(partial.store, csvHeader + withoutHotBot.join('\n') + '\n', HistoryFormat::Csv, error), 5);
    EXPECT_EQ(imported(partial.store, file, HistoryFormat::Csv, error), 1) << error.toStdString();
    EXPECT_EQ(exported(partial.store, HistoryFormat::Csv), file);
}

TEST(HistoryFile, AFileThatContradictsItselfOrTheHistoryOrThatBrenlowCouldNotHaveWrittenImportsNothing)
{
    const QByteArray held = "r1,2026-12-07T09:00:00.000Z,,window,false,a.com,Google,2026-12-07T09:01:00.000Z,5,,\n";
    const QByteArray fresh = QByteArray(held).replace("r1,", "r2,");
    const auto with = [&](const char* from, const char* to) { return QByteArray(fresh).replace(from, to); };
    const QByteArray json = R"({"brenlowHistory":2,"runs":[{"id":"r2","started":"2026-12-07T09:00:00.000Z",)"
                            R"("ended":null,"frontEnd":"window","cancelled":false,"fetches":[)";
    const QByteArray jsonFetch = R"({"domain":"a.com","engine":"Google","at":"2026-12-07T09:01:00.000Z",)";
    const struct {
        HistoryFormat format;
        QByteArray bytes;
        QString error;
    } cases[] = {
        {HistoryFormat::Csv, "domain\na.com\n",
         u"line 1: not a Brenlow history (the header is not run,run_started,run_ended,front_end,cancelled,domain,"
         "engine,at,count,failure,detail,kept)"_s},
        {HistoryFormat::Csv, csvHeaderVersion2 + with("Google", "Bing"), u"line 2: no such engine: Bing"_s},
        {HistoryFormat::Csv, csvHeaderVersion2 + with(",5,", ",-5,"),
         u"line 2: not a count from 0 to 999999999999999: -5"_s},
        {HistoryFormat::Csv, csvHeaderVersion2 + with(",5,", ",1000000000000000,"),
         u"line 2: not a count from 0 to 999999999999999: 1000000000000000"_s},
        {HistoryFormat::Csv, csvHeaderVersion2 + with("09:01:00.000Z", "09:01:00"),
         u"line 2: not a time in UTC: 2026-12-07T09:01:00"_s},
        {HistoryFormat::Csv, csvHeaderVersion2 + with(",5,,", ",,,"), u"line 2: neither a count nor a failure"_s},
        {HistoryFormat::Csv, csvHeaderVersion2 + with(",5,,", ",,nothing,"), u"line 2: no such failure: nothing"_s},
        {HistoryFormat::Csv, csvHeaderVersion2 + with(",5,,", ",5,timed-out,"),
         u"line 2: both a count and a failure: 5 timed-out"_s},
        {HistoryFormat::Csv, csvHeaderVersion2 + with(",5,,", ",,error-status,abc"),
         u"line 2: not a detail of the failure error-status: abc"_s},
        {HistoryFormat::Csv, csvHeaderVersion2 + with(",5,,", ",,short-body,73 1000"),
         u"line 2: not a detail of the failure short-body: 73 1000"_s},
        {HistoryFormat::Csv, csvHeaderVersion2 + with(",5,,", ",,timed-out,after 20 s"),
         u"line 2: not a detail of the failure timed-out: after 20 s"_s},
        {HistoryFormat::Csv, csvHeaderVersion2 + "a,b\n", u"line 2: 2 fields where there should be 11"_s},
        {HistoryFormat::Csv, csvHeaderVersion2 + with(",,window", ",2026-12-07T08:59:59.999Z,window"),
         u"line 2: the run ends (2026-12-07T08:59:59.999Z) before it starts (2026-12-07T09:00:00.000Z)"_s},
        {HistoryFormat::Csv, csvHeaderVersion2 + with("a.com", "a%00.com"),
         u"line 2: not a domain that a list can hold: a%00.com"_s},
        {HistoryFormat::Csv, csvHeaderVersion2 + with("a.com", "a%0A.com"),
         u"line 2: not a domain that a list can hold: a%0A.com"_s},
        {HistoryFormat::Csv, csvHeaderVersion2 + with("a.com", "a%1B.com"),
         u"line 2: not a domain that a list can hold: a%1B.com"_s},
        {HistoryFormat::Csv, csvHeaderVersion2 + with("a.com", "a|b.com"),
         u"line 2: not a domain that a list can hold: a|b.com"_s},
        {HistoryFormat::Csv, csvHeaderVersion2 + with("a.com", ""), u"line 2: not a domain that a list can hold: "_s},
        {HistoryFormat::Csv, csvHeaderVersion2 + with("a.com", "a\xe9.com"),
         u"line 2: not a domain that a list can hold: a\xfffd.com"_s},
        {HistoryFormat::Csv, csvHeaderVersion2 + fresh + with(",5,", ",6,"),
         u"line 3: a.com's fetch from Google in the run r2 is the count 6 at 2026-12-07T09:01:00.000Z here but the "
         "count 5 at 2026-12-07T09:01:00.000Z on line 2"_s},
        {HistoryFormat::Csv, csvHeaderVersion2 + QByteArray(held).replace(",5,", ",6,"),
         u"line 2: a.com's fetch from Google in the run r1 is the count 6 at 2026-12-07T09:01:00.000Z there but the "
         "count 5 at 2026-12-07T09:01:00.000Z in the history or earlier in the file"_s},
        {HistoryFormat::Csv,
         csvHeaderVersion2 + QByteArray(held).replace(",,window", ",2026-12-07T09:02:00.000Z,window"),
         u"line 2: the run r1 is ended 2026-12-07T09:02:00.000Z here but unfinished in the history"_s},
        {HistoryFormat::Csv, csvHeaderVersion2 + fresh + with(",window,", ",command-line,").replace("Google", "MSN"),
         u"line 3: the run r2 is made by the command line here but made by the window on line 2"_s},
        {HistoryFormat::Csv, csvHeaderVersion2 + with("a.com", "\"a.com"),
         u"line 2: the file ends inside a quoted field"_s},
        {HistoryFormat::Csv, csvHeader + QByteArray(fresh).replace(",5,,\n", ",,timed-out,,abc\n"),
         u"line 2: not a kept count from 0 to 999999999999999: abc"_s},
        {HistoryFormat::Csv, csvHeader + QByteArray(fresh).replace(",5,,\n", ",5,,,7\n"),
         u"line 2: both a count and a failure: 5 7"_s},
        {HistoryFormat::Json, "{\"runs\":[]}", u"not a Brenlow history (it has no brenlowHistory member)"_s},
        {HistoryFormat::Json, "{\"brenlowHistory\":5,\"runs\":[]}",
         u"line 1: not a Brenlow history of a version this Brenlow reads"_s},
        {HistoryFormat::Json, json + jsonFetch + "\"count\":5.5}]}]}", u"line 1: not a whole number: 5.5"_s},
        {HistoryFormat::Json, json + jsonFetch + "\"count\":-5}]}]}", u"line 1: a negative number: -5"_s},
        {HistoryFormat::Json, json + jsonFetch + "\"count\":5,\"colour\":\"red\"}]}]}",
         u"line 1: no such member of a fetch: colour"_s},
        {HistoryFormat::Json, json + jsonFetch + "\"count\":5},\n" + jsonFetch + "\"count\":6}]}]}",
         u"line 2: a.com's fetch from Google in the run r2 is the count 6 at 2026-12-07T09:01:00.000Z here but the "
         "count 5 at 2026-12-07T09:01:00.000Z on line 1"_s},
        {HistoryFormat::Json, QByteArray(json).replace("\"window\"", "\"phone\"") + "]}]}",
         u"line 1: no such front end: phone"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.toStdString());
        ScratchHistory history;
        QString error;
        ASSERT_EQ(imported(history.store, csvHeaderVersion2 + held, HistoryFormat::Csv, error), 1)
            << error.toStdString();
        const QByteArray before = exported(history.store, HistoryFormat::Csv);
        EXPECT_EQ(imported(history.store, c.bytes, c.format, error), std::nullopt);
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(exported(history.store, HistoryFormat::Csv), before);
    }

    // What is no JSON at all: the library's reader says where.
    ScratchHistory history;
    QString error;
    for (const QByteArray& notJson : {QByteArray("{\"brenlowHistory\":2,"), json + jsonFetch + "\"count\":5}]}]}x",
                                      QByteArray("{\"brenlowHistory\":2,\"runs\":[{\"id\":\"a\tb\"}]}")}) {
        EXPECT_EQ(imported(history.store, notJson, HistoryFormat::Json, error), std::nullopt);
        EXPECT_TRUE(error.startsWith(u"not JSON: at line 1, column "_s)) << error.toStdString();
    }
}

// An import is whole or not at all, also when the disk has no room for the rest of it.
TEST(HistoryFile, AnImportThatTheDiskHasNoRoomForKeepsNothing)
{
    QByteArray file = csvHeaderVersion2;
    for (int run = 0; run < 5000; ++run)
        file += "r" + QByteArray::number(run) +
                ",2026-12-07T09:00:00.000Z,,window,false,a.com,Google,2026-12-07T09:01:00.000Z,5,,\n";
    ScratchHistory history;
    history.store.setFreeSpace([](const QString&) { return std::optional<qint64>(64 * 1024); });
    QString error;
    EXPECT_EQ(imported(history.store, file, HistoryFormat::Csv, error), std::nullopt);
    EXPECT_TRUE(error.contains(u" is full or nearly so"_s)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(HistoryStore::pathFor(history.dir.filePath(u"brenlow.txt"_s))));
}

TEST(HistoryFile, FilesOfEarlierVersionsImportAndMeetTheRunsTheyCameFrom)
{
    const QByteArray version1Csv = "run_started,run_ended,front_end,cancelled,domain,engine,at,count,failure,detail\n"
                                   "2026-12-07T09:00:00.000Z,,window,false,a.com,Google,2026-12-07T09:01:00.000Z,5,,\n";
    const QByteArray version1Json =
        R"({"brenlowHistory":1,"runs":[{"started":"2026-12-07T09:00:00.000Z","ended":null,"frontEnd":"window",)"
        R"("cancelled":false,"fetches":[{"domain":"a.com","engine":"Google","at":"2026-12-07T09:01:00.000Z",)"
        R"("count":5},{"domain":"a.com","engine":"MSN","at":"2026-12-07T09:02:00.000Z","count":7}]}]})";
    ScratchHistory history;
    QString error;
    EXPECT_EQ(imported(history.store, version1Csv, HistoryFormat::Csv, error), 1) << error.toStdString();
    EXPECT_EQ(imported(history.store, version1Json, HistoryFormat::Json, error), 1) << error.toStdString();
    const QList<HistoryRun> runs = history.store.runs();
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0].identity, u"v1-1796634000000"_s);
    ASSERT_EQ(runs[0].domains.size(), 1);
    EXPECT_EQ(runs[0].domains[0].engines[2].count, 5);
    EXPECT_EQ(runs[0].domains[0].engines[4].count, 7);
}

TEST(HistoryFile, AnImportThatIsStoppedKeepsNothingAndLeavesNoHistoryItMade)
{
    ScratchHistory original;
    QString error;
    ASSERT_EQ(original.store.import(sampleRuns(), error), 6);
    for (const HistoryFormat format : {HistoryFormat::Csv, HistoryFormat::Json}) {
        QTemporaryDir dir;
        HistoryStore store(dir.filePath(u"brenlow.txt"_s));
        ASSERT_TRUE(store.open(HistoryStore::Mode::Write));
        int asked = 0;
        EXPECT_EQ(imported(store, exported(original.store, format), format, error, [&] { return ++asked > 3; }),
                  std::nullopt);
        EXPECT_TRUE(error.endsWith(u"interrupted"_s)) << error.toStdString();
        EXPECT_TRUE(store.runs().isEmpty());
        EXPECT_TRUE(QDir(dir.path()).isEmpty()) << QDir(dir.path()).entryList().join(u' ').toStdString();
        // The history is made again by the next write.
        EXPECT_EQ(imported(store, exported(original.store, format), format, error), 6) << error.toStdString();
    }
}

} // namespace
