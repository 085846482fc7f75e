#include "domains/domainlist.h"
#include "engine/bytetext.h"
#include "engine/counttext.h"
#include "engine/enginecatalogue.h"
#include "grid/domaingrid.h"
#include "net/busypointer.h"
#include "net/httpfetcher.h"
#include "net/posixsocket.h"
#include "net/sockethost.h"
#include "sources/sourcecatalogue.h"
#include "support/httptestserver.h"
#include "workflows/listsession.h"
#include "workflows/updaterun.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

using enum FetchFailure;

const QLocale english(QLocale::English, QLocale::UnitedStates);
const QLocale german(QLocale::German, QLocale::Germany);
const QList<QByteArray> aQueries = linkQueries("a.com");

// An update run over a list without a grid, as the command line runs it, its requests going to a loopback server that
// plays the engines, the clock standing at 6 December 2026, 21:40. Row 1 holds a.com with the counts 1,111 to 5,555 of
// an earlier run. Every fetch's report is recorded; duringWaits runs whenever the fetch lets events run.
struct RunRig : UpdateRunControls, BusyPointer {
    explicit RunRig(const QLocale& locale = english, std::chrono::milliseconds timeout = 10s, FetchLimits limits = {})
        : countText(locale)
        , host(posixSocketFactory(pump, server.settings(timeout)), pump)
        , fetcher(host, *this, pump, limits)
        , run(grid, sources, fetcher, *this, [] { return at2140; })
    {
        setRow(1, u"a.com"_s, {u"1,111"_s, u"2,222"_s, u"3,333"_s, u"4,444"_s, u"5,555"_s});
    }

    static inline const QDateTime at2140{QDate(2026, 12, 6), QTime(21, 40)};

    // Record row holds the domain and the counts as a list file would (blank records before it when need be).
    void setRow(int row, const QString& domain, const QStringList& counts)
    {
        lines.resize(std::max<qsizetype>(lines.size(), row));
        QByteArray& line = lines[row - 1];
        line = bytesFromText(domain) + '|';
        for (int i = 0; i < counts.size(); ++i)
            line += list.countFields().at(i) + '=' + counts[i].toUtf8() + '|';
        list.clear();
        for (const QByteArray& record : std::as_const(lines))
            list.append(record);
    }

    // Domain, Total and the five counts.
    QStringList rowTexts(int row) const
    {
        QStringList texts;
        for (int col = 0; col < 7; ++col)
            texts.append(grid.cellText(row, col));
        return texts;
    }

    // Serves a.com's five link queries with the engines' pages stating these counts, and one engine with reply.
    void serveA(const HttpTestServer::Counts& counts, int engine = -1, const ServerReply& reply = {})
    {
        server.serveDomain("a.com", counts);
        if (engine >= 0)
            server.answer(aQueries[engine], reply);
    }

    void enterRunningState() override {}
    void leaveRunningState() override {}
    void showProgress(qint64, qint64) override {}
    void fetchEnded(const FetchReport& report) override { reports.append(report); }
    void setBusy(bool) override {}

    HttpTestServer server;
    QList<QByteArray> lines;
    DomainList list{QString()};
    std::function<void()> duringWaits;
    QList<FetchReport> reports;
    EngineTables engines = EngineTables::initialised();
    CountText countText;
    DomainGrid grid{nullptr, list, engines, countText};
    EventPump pump = [this] {
        if (duringWaits)
            duringWaits();
    };
    SocketHost host;
    HttpFetcher fetcher;
    SourceCatalogue sources{engines, fetcher};
    UpdateRun run;
};

// Google's result page, stating count.
ServerReply googleStating(const QByteArray& count)
{
    return ServerReply::page(resultPage(2, count));
}

struct OneEngineCase {
    const char* what;
    ServerReply reply; // Google's answer to a.com
    QString google;    // the cell afterwards
    QString total;     // the row's Total afterwards
    FetchFailure failure;
};

// Runs row 1 with Google answering as the case says; the other engines state 10, 20, 40 and 50.
void expectGoogleCell(const OneEngineCase& c)
{
    SCOPED_TRACE(c.what);
    RunRig rig;
    rig.serveA({10, 20, 30, 40, 50}, 2, c.reply);
    rig.run.UpdateResults(1, 1);
    EXPECT_EQ(rig.rowTexts(1), (QStringList{u"a.com"_s, c.total, u"10"_s, u"20"_s, c.google, u"40"_s, u"50"_s}));
    ASSERT_EQ(rig.reports.size(), 5);
    const FetchReport& google = rig.reports[2];
    EXPECT_EQ(google.engine, 2);
    EXPECT_EQ(google.failure.kind, c.failure);
    EXPECT_EQ(google.failed(), c.failure != None);
    EXPECT_EQ(google.keptCount, google.failed() ? c.google : QString());
    EXPECT_EQ(rig.run.lastRun().failed, google.failed() ? 1 : 0);
}

TEST(UpdateRun, AnErrorStatusKeepsTheStoredCount)
{
    const QByteArray page = resultPage(2, "7,000").sliced(17); // the page without its status line
    const OneEngineCase cases[] = {
        {"200", googleStating("7,000"), u"7,000"_s, u"7,120"_s, None},
        {"no status line", ServerReply::page(page), u"7,000"_s, u"7,120"_s, None},
        {"404", ServerReply::page("HTTP/1.0 404 Not Found\r\n" + page), u"3,333"_s, u"3,453"_s, ErrorStatus},
        {"503", ServerReply::page("HTTP/1.1 503 Service Unavailable\r\n\r\n"), u"3,333"_s, u"3,453"_s, ErrorStatus},
        {"500 with a count", ServerReply::page("HTTP/1.0 500 Oops\r\n" + page), u"3,333"_s, u"3,453"_s, ErrorStatus},
        {"302", ServerReply::page("HTTP/1.0 302 Found\r\nLocation: http://elsewhere/\r\n\r\n"), u"3,333"_s, u"3,453"_s,
         ErrorStatus},
    };
    for (const auto& c : cases)
        expectGoogleCell(c);
}

TEST(UpdateRun, ABodyShortOfItsLengthKeepsTheStoredCount)
{
    const QByteArray body = "<p>Results <b>1</b> of about <b>7,000</b>.</p>"; // 46 bytes
    const QByteArray ok = "HTTP/1.0 200 OK\r\n";
    const OneEngineCase cases[] = {
        {"as long as it says", ServerReply::page(ok + "Content-Length: 46\r\n\r\n" + body), u"7,000"_s, u"7,120"_s,
         None},
        {"one byte short", ServerReply::page(ok + "Content-Length: 47\r\n\r\n" + body), u"3,333"_s, u"3,453"_s,
         ShortBody},
        {"half of it", ServerReply::page(ok + "Content-Length: 92\r\n\r\n" + body), u"3,333"_s, u"3,453"_s, ShortBody},
        {"reset after a part", ServerReply::resetAfter(ok + "\r\n" + body), u"3,333"_s, u"3,453"_s, ConnectionBroken},
    };
    for (const auto& c : cases)
        expectGoogleCell(c);
}

TEST(UpdateRun, APageThatStatesNoCountKeepsTheStoredCountAndAZeroIsWritten)
{
    const OneEngineCase cases[] = {
        {"zero", googleStating("0"), u"0"_s, u"120"_s, None},
        {"no markers", ServerReply::page(httpPage("<html>Sorry, try again later.</html>")), u"3,333"_s, u"3,453"_s,
         NoCount},
        {"nothing between the markers", googleStating(""), u"3,333"_s, u"3,453"_s, NoCount},
        {"a word", googleStating("many"), u"3,333"_s, u"3,453"_s, NoCount},
        {"an empty page", ServerReply::page(httpPage("")), u"3,333"_s, u"3,453"_s, NoCount},
    };
    for (const auto& c : cases)
        expectGoogleCell(c);
}

TEST(UpdateRun, CountsAreWholeNumbersUpTo999999999999999)
{
    const OneEngineCase cases[] = {
        {"beyond 32 bits", googleStating("3,000,000,000"), u"3,000,000,000"_s, u"3,000,000,120"_s, None},
        {"the largest", googleStating("999,999,999,999,999"), u"999,999,999,999,999"_s, u"1,000,000,000,000,119"_s,
         None},
        {"beyond the largest", googleStating("1,000,000,000,000,000"), u"3,333"_s, u"3,453"_s, NoCount},
        {"negative", googleStating("-5"), u"3,333"_s, u"3,453"_s, NoCount},
        {"groups of one digit", googleStating("1,2,3,4"), u"3,333"_s, u"3,453"_s, NoCount},
        {"a fraction, rounded half to even", googleStating("2,500.5"), u"2,500"_s, u"2,620"_s, None},
    };
    for (const auto& c : cases)
        expectGoogleCell(c);
}

TEST(UpdateRun, AServerThatTricklesPastTheDeadlineKeepsTheStoredCount)
{
    // A byte at a time: the socket's time-out (300 ms since the last byte) never comes, the deadline (400 ms for
    // each attempt) does, twice.
    const QByteArray page = resultPage(2, "7,000");
    RunRig rig(english, 300ms, FetchLimits{400ms});
    rig.serveA({10, 20, 30, 40, 50}, 2, ServerReply::trickle(page, int(page.size()), 10ms));
    rig.run.UpdateResults(1, 1);
    EXPECT_EQ(rig.rowTexts(1), (QStringList{u"a.com"_s, u"3,453"_s, u"10"_s, u"20"_s, u"3,333"_s, u"40"_s, u"50"_s}));
    EXPECT_EQ(rig.server.requestCount(aQueries[2]), 2);
    ASSERT_EQ(rig.reports.size(), 5);
    EXPECT_EQ(rig.reports[2].failure.kind, TimedOut);
}

TEST(UpdateRun, AfterCancelOnAnyEngineTheTotalIsTheSumTheRowShows)
{
    const struct {
        int engine; // silent until Cancel
        QStringList cells;
        QString total;
    } cases[] = {
        {0, {u"1,111"_s, u"2,222"_s, u"3,333"_s, u"4,444"_s, u"5,555"_s}, u"16,665"_s},
        {1, {u"10"_s, u"2,222"_s, u"3,333"_s, u"4,444"_s, u"5,555"_s}, u"15,564"_s},
        {2, {u"10"_s, u"20"_s, u"3,333"_s, u"4,444"_s, u"5,555"_s}, u"13,362"_s},
        {3, {u"10"_s, u"20"_s, u"30"_s, u"4,444"_s, u"5,555"_s}, u"10,059"_s},
        {4, {u"10"_s, u"20"_s, u"30"_s, u"40"_s, u"5,555"_s}, u"5,655"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.engine);
        RunRig rig;
        rig.serveA({10, 20, 30, 40, 50}, c.engine, ServerReply::silence());
        rig.setRow(2, u"b.com"_s, {u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s});
        rig.duringWaits = [&] {
            if (rig.server.requestCount(aQueries[c.engine]) == 1)
                rig.fetcher.requestCancel();
        };
        rig.run.UpdateResults(1, 2);
        EXPECT_EQ(rig.rowTexts(1), (QStringList{u"a.com"_s, c.total} + c.cells));
        EXPECT_EQ(rig.server.requestCount(), c.engine + 1);
        const RunSummary& summary = rig.run.lastRun();
        EXPECT_TRUE(summary.cancelled);
        EXPECT_EQ(summary.counts, 10);
        EXPECT_EQ(summary.updated, c.engine);
        EXPECT_EQ(summary.failed, 1);
        ASSERT_EQ(summary.failures.size(), 1);
        EXPECT_EQ(summary.failures[0].failure.kind, Cancelled);
        EXPECT_EQ(summary.failures[0].keptCount, c.cells[c.engine]);
    }
}

TEST(UpdateRun, ReportsEveryFetchWithItsOutcomeAndSumsUpTheRun)
{
    RunRig rig(german);
    rig.setRow(1, u"a.com"_s, {u"1.111"_s, u"2,222"_s, u"3 333"_s, u""_s, u"5’555"_s});
    rig.setRow(3, u"c.com"_s, {});
    rig.serveA({10, 20000, 30, 40, 50}, 3, ServerReply::page(httpPage("", "503 Service Unavailable")));
    rig.server.serveDomain("c.com", {1, 2, 3, 4, 5});
    rig.server.answer(linkQueries("c.com")[0], ServerReply::page(httpPage("no count here")));
    rig.run.UpdateResults(1, 3);

    // The empty cell of a failed fetch gets 0; the Total adds what the cells show, read under any locale.
    EXPECT_EQ(rig.rowTexts(1), (QStringList{u"a.com"_s, u"20.090"_s, u"10"_s, u"20.000"_s, u"30"_s, u"0"_s, u"50"_s}));
    EXPECT_EQ(rig.rowTexts(3), (QStringList{u"c.com"_s, u"14"_s, u"0"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s}));

    QStringList reports;
    for (const FetchReport& r : rig.reports) {
        EXPECT_EQ(r.at, RunRig::at2140);
        reports.append(u"%1 %2 %3 %4"_s.arg(r.row).arg(r.engine).arg(
            QString::fromLatin1(r.domain), r.failed() ? r.keptCount : QString::number(*r.count)));
    }
    EXPECT_EQ(reports, (QStringList{u"1 0 a.com 10"_s, u"1 1 a.com 20000"_s, u"1 2 a.com 30"_s, u"1 3 a.com 0"_s,
                                    u"1 4 a.com 50"_s, u"3 0 c.com 0"_s, u"3 1 c.com 2"_s, u"3 2 c.com 3"_s,
                                    u"3 3 c.com 4"_s, u"3 4 c.com 5"_s}));
    const RunSummary& summary = rig.run.lastRun();
    EXPECT_EQ(summary.counts, 10);
    EXPECT_EQ(summary.updated, 8);
    EXPECT_EQ(summary.failed, 2);
    EXPECT_FALSE(summary.cancelled);
    EXPECT_EQ(summary.ended, RunRig::at2140);
    ASSERT_EQ(summary.failures.size(), 2);
    EXPECT_EQ(failureReason(summary.failures[0].failure), u"the server answered 503 Service Unavailable"_s);
    EXPECT_EQ(failureReason(summary.failures[1].failure), u"the page states no count"_s);
    EXPECT_EQ(runSummaryText(summary, german),
              u"Updated 8 of 10 counts at 21:40; 2 could not be updated and keep their earlier counts."_s);
}

TEST(UpdateRun, SummarySaysWhatTheRunDid)
{
    const struct {
        RunSummary summary;
        QString text;
    } cases[] = {
        {{15, 15, 0, false, {}, {}}, u"Updated 15 of 15 counts at 21:40."_s},
        {{15, 14, 1, false, {}, {}},
         u"Updated 14 of 15 counts at 21:40; 1 could not be updated and keeps its earlier count."_s},
        {{12345, 12000, 345, false, {}, {}},
         u"Updated 12.000 of 12.345 counts at 21:40; 345 could not be updated and keep their earlier counts."_s},
        {{15, 7, 1, true, {}, {}},
         u"Cancelled at 21:40 after updating 7 of 15 counts; 1 could not be updated and keeps its earlier count; 7 "
         u"were not asked for."_s},
        {{10, 8, 1, true, {}, {}},
         u"Cancelled at 21:40 after updating 8 of 10 counts; 1 could not be updated and keeps its earlier count; 1 "
         u"was not asked for."_s},
        {{0, 0, 0, false, {}, {}}, u"Nothing to update at 21:40: no domain in the rows chosen."_s},
    };
    for (auto c : cases) {
        c.summary.ended = RunRig::at2140;
        EXPECT_EQ(runSummaryText(c.summary, german), c.text);
    }
}

TEST(UpdateRun, SendsTheDomainPercentEncodedAndAPlainDomainAsItStands)
{
    const struct {
        QString domain;
        QByteArray query; // as it reaches the engine
    } cases[] = {
        {u"a.com?x=1&y=2"_s, "a.com%3Fx%3D1%26y%3D2"},
        {u"my site.com"_s, "my%20site.com"},
        {textFromBytes("caf\xe9.example.com"), "caf%E9.example.com"}, // Latin-1, from a list of another system
        {u"caf\u00E9.example.com"_s, "caf%C3%A9.example.com"},
        {u"a.com/#%+"_s, "a.com%2F%23%25%2B"},
        {u"Sub-Domain_1.Example~2.COM"_s, "Sub-Domain_1.Example~2.COM"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query.toStdString());
        RunRig rig;
        rig.setRow(1, c.domain, {});
        rig.run.UpdateResults(1, 1);
        ASSERT_EQ(rig.server.requests().size(), 5);
        EXPECT_TRUE(rig.server.requests()[2].startsWith("GET /search?as_lq=" + c.query + " HTTP/1.0\r\n"));
        EXPECT_TRUE(rig.server.requests()[1].startsWith("GET /sites/search/web?q=link%3A" + c.query + "+-url%3A" +
                                                        c.query + " HTTP/1.0\r\n"));
    }
    // Letters, digits, dots and hyphens go out byte for byte as they always have.
    RunRig rig;
    rig.serveA({1, 2, 3, 4, 5});
    rig.run.UpdateResults(1, 1);
    ASSERT_EQ(rig.server.requests().size(), 5);
    const QByteArray hosts[] = {"www.alltheweb.com", "www.altavista.com", "www.google.com", "www.hotbot.com",
                                "search.msn.com"};
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(rig.server.requests()[i].contains("\r\nHost: " + hosts[i] + "\r\n")) << i;
    EXPECT_EQ(rig.server.requests()[4], "GET /results.asp?q=linkdomain%3Aa.com+-domain%3Aa.com HTTP/1.0\r\n"
                                        "From: user@domain\r\nHost: search.msn.com\r\n"
                                        "User-Agent: Mozilla/4.0 (compatible; MSIE 4.01; Windows 95)\r\n"
                                        "Accept: */*\r\nAccept: text/html\r\n\r\n");
}

// Both front ends start their sessions from these options: the engines' real names on port 80, 20 s of silence
// and 60 s an attempt.
TEST(UpdateRun, TheProgramsSessionsWaitAsTheProgramDoes)
{
    const SessionOptions options;
    EXPECT_EQ(options.socketSettings.timeout, std::chrono::milliseconds(20000));
    EXPECT_EQ(options.fetchLimits.attemptDeadline, std::chrono::milliseconds(60000));
    EXPECT_FALSE(options.socketSettings.resolveName);
    EXPECT_FALSE(options.socketSettings.dialPort);
}

TEST(UpdateRun, ProgressTextRoundsTheSinglePrecisionPercentage)
{
    const struct {
        qint64 step;
        qint64 steps;
        const char* text;
    } cases[] = {
        {1, 5, "1 of 5  : 20%"},       {5, 5, "5 of 5  : 100%"},      {1, 15, "1 of 15  : 07%"},
        {1, 8, "1 of 8  : 13%"},       {1, 200, "1 of 200  : 01%"},   {1, 201, "1 of 201  : 00%"},
        {3, 8, "3 of 8  : 38%"},       {1, 40, "1 of 40  : 03%"},     {7, 40, "7 of 40  : 18%"},
        {29, 200, "29 of 200  : 15%"}, {1, 1000, "1 of 1000  : 00%"}, {5, 1000, "5 of 1000  : 01%"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UpdateRun::progressText(c.step, c.steps), QString::fromLatin1(c.text));
}

TEST(DomainGrid, ShowsStoredCountsAndTheirTotalTheSameUnderEveryLocale)
{
    // Written under English, German, Swiss and French conventions, and by hand; one is no count and adds 0.
    const QByteArray record = "a.com|AllTheWeb=1,234|AltaVista=1.234|Google=1’234|HotBot=1\xe2\x80\xaf"
                              "234|MSN=12,34|";
    const struct {
        QLocale locale;
        QString total;
    } cases[] = {
        {english, u"4,936"_s},
        {german, u"4.936"_s},
        {QLocale(QLocale::French, QLocale::France), u"4\u202F936"_s},
        {QLocale(QLocale::German, QLocale::Switzerland), u"4’936"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        EngineTables engines;
        const CountText countText(c.locale);
        DomainList list{QString()};
        list.append(record);
        const DomainGrid domainGrid(nullptr, list, engines, countText);
        EXPECT_EQ(domainGrid.cellText(1, 1), c.total);
        EXPECT_EQ(domainGrid.cellText(1, 6), u"12,34"_s);
    }
}

} // namespace
