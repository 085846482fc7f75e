#include "domains/historystore.h"
#include "engine/counttext.h"
#include "engine/enginecatalogue.h"
#include "grid/memorygrid.h"
#include "net/busypointer.h"
#include "net/httpfetcher.h"
#include "net/posixsocket.h"
#include "net/sockethost.h"
#include "support/httptestserver.h"
#include "workflows/historyfile.h"
#include "workflows/historyrecorder.h"
#include "workflows/listsession.h"
#include "workflows/updaterun.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

QDateTime utc(int hour, int minute, int ms = 0)
{
    return QDateTime(QDate(2026, 12, 7), QTime(hour, minute).addMSecs(ms), Qt::UTC);
}

// An update run over a grid in memory that records into a history in a temporary folder, its requests going to a
// loopback server that plays the engines. Its clock starts at 9:00 UTC and moves on a second each time it is
// read. Rows 1 and 2 hold a.com and b.com.
struct RecordingRig : UpdateRunControls, BusyPointer {
    RecordingRig()
        : host(posixSocketFactory(pump, server.settings(10s)), pump)
        , fetcher(host, *this, pump, {})
        , history(dir.filePath(u"brenlow.txt"_s))
        , recorder(
              *this, history, FrontEnd::CommandLine, [this](const QString& problem) { notKept.append(problem); },
              [this] { return tick(); })
        , run(grid, fetcher, engines, countText, recorder, [this] { return tick(); })
    {
        engines.InitGridHeaders();
        engines.InitEngineCatalogue();
        recorder.watch(run);
        grid.setTextMatrix(1, 0, u"a.com"_s);
        grid.setTextMatrix(2, 0, u"b.com"_s);
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

    void enterRunningState() override { ++entered; }
    void leaveRunningState() override { ++left; }
    void showProgress(qint64, qint64) override {}
    void fetchEnded(const FetchReport&) override { ++fetches; }
    void setBusy(bool) override {}

    QTemporaryDir dir;
    HttpTestServer server;
    MemoryGrid grid;
    EngineTables engines;
    CountText countText{QLocale(QLocale::English, QLocale::UnitedStates)};
    std::function<void()> duringWaits;
    EventPump pump = [this] {
        if (duringWaits)
            duringWaits();
    };
    SocketHost host;
    HttpFetcher fetcher;
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
    for (std::size_t e = 0; e < EngineCount; ++e) {
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
    EXPECT_EQ(rig.grid.TextMatrix(2, 6), u"5"_s);
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
    MemoryGrid grid;
    session.showIn(grid, controls);
    EXPECT_TRUE(session.lock(false));
    session.run().UpdateResults(1, 0);
    session.run().UpdateResults(1, 0);
    ASSERT_EQ(notKept.size(), 1);
    EXPECT_EQ(notKept[0], u"the history file /proc/self/brenlow.txt.history.sqlite is written only while the list is "
                          "locked, and the lock file /proc/%1/brenlow.txt.lock cannot be made: No such file or "
                          "directory"_s.arg(QCoreApplication::applicationPid()))
        << notKept[0].toStdString();
    EXPECT_FALSE(QFile::exists(u"/proc/self/brenlow.txt.history.sqlite"_s));
}

// Two runs with every kind of thing an export must carry: a failure with a detail, a fetch never made, an
// unfinished run, a run without fetches and a domain with bytes that are not printable ASCII.
QList<HistoryRun> sampleRuns()
{
    HistoryRun first{utc(9, 0), utc(9, 5), FrontEnd::Window, false, {}};
    DomainFetches odd{"caf\xe9,\"x\"%.com", {}};
    for (std::size_t e = 0; e < EngineCount; ++e)
        odd.engines[e] = {utc(9, 1, int(e)), qint64(e) * 1000000007LL, {}};
    odd.engines[1] = {utc(9, 2), std::nullopt, {FetchFailure::ErrorStatus, 503, "Service, \"Unavailable\"", 0, 0}};
    odd.engines[2] = {utc(9, 3), std::nullopt, {FetchFailure::ShortBody, 0, {}, 1000, 73}};
    odd.engines[3] = {utc(9, 4), std::nullopt, {FetchFailure::ErrorStatus, 418, "I'm a \"teapot\"", 0, 0}};
    odd.engines[4] = {};
    first.domains = {odd};
    HistoryRun unfinished{utc(10, 0), {}, FrontEnd::CommandLine, true, {}};
    HistoryRun empty{utc(11, 0), utc(11, 0, 1), FrontEnd::CommandLine, false, {}};
    DomainFetches timedOut{"b.com", {}};
    timedOut.engines[0] = {utc(10, 1), std::nullopt, {FetchFailure::TimedOut, 0, {}, 0, 0}};
    unfinished.domains = {timedOut};
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

TEST(HistoryFile, AnExportImportedIntoAnEmptyHistoryIsTheSameHistory)
{
    QTemporaryDir dir;
    HistoryStore original(dir.filePath(u"a.txt"_s));
    ASSERT_TRUE(original.open(HistoryStore::Mode::Write));
    ASSERT_EQ(original.import(sampleRuns()), 5);
    EXPECT_EQ(exported(original, HistoryFormat::Csv),
              "run_started,run_ended,front_end,cancelled,domain,engine,at,count,failure,detail\n"
              "2026-12-07T09:00:00.000Z,2026-12-07T09:05:00.000Z,window,false,\"caf%E9,\"\"x\"\"%25.com\",AllTheWeb,"
              "2026-12-07T09:01:00.000Z,0,,\n"
              "2026-12-07T09:00:00.000Z,2026-12-07T09:05:00.000Z,window,false,\"caf%E9,\"\"x\"\"%25.com\",AltaVista,"
              "2026-12-07T09:02:00.000Z,,error-status,\"503 Service, \"\"Unavailable\"\"\"\n"
              "2026-12-07T09:00:00.000Z,2026-12-07T09:05:00.000Z,window,false,\"caf%E9,\"\"x\"\"%25.com\",Google,"
              "2026-12-07T09:03:00.000Z,,short-body,1000 73\n"
              "2026-12-07T09:00:00.000Z,2026-12-07T09:05:00.000Z,window,false,\"caf%E9,\"\"x\"\"%25.com\",HotBot,"
              "2026-12-07T09:04:00.000Z,,error-status,\"418 I'm a \"\"teapot\"\"\"\n"
              "2026-12-07T10:00:00.000Z,,command-line,true,b.com,AllTheWeb,2026-12-07T10:01:00.000Z,,timed-out,\n"
              "2026-12-07T11:00:00.000Z,2026-12-07T11:00:00.001Z,command-line,false,,,,,,\n");

    for (const HistoryFormat format : {HistoryFormat::Csv, HistoryFormat::Json}) {
        SCOPED_TRACE(static_cast<int>(format));
        QByteArray file = exported(original, format);
        QBuffer in(&file);
        in.open(QIODevice::ReadOnly);
        QTemporaryDir other;
        HistoryStore copy(other.filePath(u"b.txt"_s));
        ASSERT_TRUE(copy.open(HistoryStore::Mode::Write));
        QString error;
        EXPECT_EQ(importHistory(copy, in, format, error), 5) << error.toStdString();
        EXPECT_EQ(exported(copy, format), file);
        EXPECT_EQ(exported(copy, HistoryFormat::Csv), exported(original, HistoryFormat::Csv));
        in.seek(0);
        EXPECT_EQ(importHistory(copy, in, format, error), 0);
        EXPECT_EQ(exported(copy, format), file);
    }
}

TEST(HistoryFile, AFileThatIsNotAHistoryImportsNothing)
{
    const QByteArray header = "run_started,run_ended,front_end,cancelled,domain,engine,at,count,failure,detail\n";
    const QByteArray good = "2026-12-07T09:00:00.000Z,,window,false,a.com,Google,2026-12-07T09:01:00.000Z,5,,\n";
    const struct {
        HistoryFormat format;
        QByteArray bytes;
        QString error;
    } cases[] = {
        {HistoryFormat::Csv, "domain\na.com\n",
         u"line 1: not a Brenlow history (the header is not run_started,run_ended,front_end,cancelled,domain,engine,at,"
         "count,failure,detail)"_s},
        {HistoryFormat::Csv, header + good + QByteArray(good).replace("Google", "Bing"),
         u"line 3: no such engine: Bing"_s},
        {HistoryFormat::Csv, header + good + QByteArray(good).replace(",5,", ",-5,"), u"line 3: not a count: -5"_s},
        {HistoryFormat::Csv, header + good + QByteArray(good).replace("09:01:00.000Z", "09:01:00"),
         u"line 3: not a time in UTC: 2026-12-07T09:01:00"_s},
        {HistoryFormat::Csv, header + good + QByteArray(good).replace(",5,,", ",,nothing,"),
         u"line 3: neither a count nor a failure: nothing "_s},
        {HistoryFormat::Csv, header + good + "a,b\n", u"line 3: 2 fields where there should be 10"_s},
        {HistoryFormat::Json, "{\"runs\":[]}", u"not a Brenlow history"_s},
        {HistoryFormat::Json,
         "{\"brenlowHistory\":1,\"runs\":[{\"started\":\"2026-12-07T09:00:00.000Z\","
         "\"frontEnd\":\"phone\"}]}",
         u"run 1: no such front end: phone"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.toStdString());
        QTemporaryDir dir;
        HistoryStore store(dir.filePath(u"a.txt"_s));
        ASSERT_TRUE(store.open(HistoryStore::Mode::Write));
        QByteArray bytes = c.bytes;
        QBuffer in(&bytes);
        in.open(QIODevice::ReadOnly);
        QString error;
        EXPECT_EQ(importHistory(store, in, c.format, error), std::nullopt);
        EXPECT_EQ(error, c.error);
        EXPECT_TRUE(store.runs().isEmpty());
    }
}

} // namespace
