#include "engine/linkcount.h"
#include "net/busypointer.h"
#include "net/httpfetcher.h"
#include "net/posixsocket.h"
#include "net/sockethost.h"
#include "support/httptestserver.h"
#include "support/loopbackports.h"

#include <QByteArrayList>
#include <QStringList>

#include <gtest/gtest.h>

#include <future>
#include <mutex>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

using enum FetchFailure;

// Names ending in ".invalid" cannot be resolved; every other name is 127.0.0.1. The n-th connect to port 80 goes
// to ports[n], the last one again and again; any other port is refused as invalid.
struct LoopbackRoute {
    explicit LoopbackRoute(std::vector<int> routedPorts, std::chrono::milliseconds waitLimit = 10s)
        : ports(std::move(routedPorts))
        , timeout(waitLimit)
    {
    }

    std::vector<int> ports;
    std::chrono::milliseconds timeout;
    NameResolver nameServer; // answers on the lookup thread instead of the loopback names, when set
    QByteArrayList namesResolved;
    std::vector<int> dialled;

    SocketSettings settings()
    {
        SocketSettings settings;
        settings.timeout = timeout;
        if (nameServer) {
            settings.resolveName = nameServer;
            settings.lookupOnThread = true;
        } else
            settings.resolveName = [this](const QByteArray& name) -> std::optional<quint32> {
                namesResolved.append(name);
                return name.endsWith(".invalid") ? std::nullopt : std::optional<quint32>(0x7f000001);
            };
        settings.dialPort = [this](int remotePort) {
            if (remotePort != 80)
                return 0;
            dialled.push_back(ports.at(std::min(dialled.size(), ports.size() - 1)));
            return dialled.back();
        };
        return settings;
    }
};

// A page of many reads with no status line but at its start.
const QByteArray longPage = httpPage(QByteArray(3000, 'x') + "<b>12,345</b>"_ba);

// A fetcher whose sockets go to its own server. The rig stands between the socket and its host to record the
// socket's events and count the reads that brought data, records the pointer states, and runs duringWaits
// whenever the request lets events run.
struct Rig : SocketEvents, BusyPointer {
    explicit Rig(std::chrono::milliseconds timeout = 10s, FetchLimits fetchLimits = {})
        : route({server.port()}, timeout)
        , limits(fetchLimits)
    {
    }

    // Every request that gets past its checks raises the busy mark once and lowers it once.
    HttpResult fetch(QByteArrayView host, QByteArrayView path)
    {
        const HttpResult result = fetcher.HttpRequest(host, path);
        EXPECT_EQ(fetcher.BusyCount(), 0);
        EXPECT_EQ(pointerStates, (std::vector<bool>{true, false}));
        pointerStates.clear();
        return result;
    }

    void LastError(int code, const QString& text, int& reply) override
    {
        events.append(QString::number(code));
        hostEvents->LastError(code, text, reply);
    }
    void Timeout() override
    {
        events.append(u"Timeout"_s);
        hostEvents->Timeout();
    }
    void Read() override { ++reads; }
    void Timer() override {}
    void setBusy(bool busy) override { pointerStates.push_back(busy); }

    HttpTestServer server;
    LoopbackRoute route;
    FetchLimits limits;
    EventPump duringWaits;
    SocketEvents* hostEvents = nullptr;
    QStringList events;
    int reads = 0;
    int socketsMade = 0;
    std::vector<bool> pointerStates;
    EventPump pump = [this] { runEvents(duringWaits); };
    // The sockets share one name lookup, as the program's do.
    std::shared_ptr<NameLookup> lookup;
    SocketHost controls{[this](SocketEvents& events) {
                            hostEvents = &events;
                            ++socketsMade;
                            const SocketSettings settings = route.settings();
                            if (!lookup)
                                lookup = std::make_shared<NameLookup>(settings.resolveName);
                            return std::make_unique<PosixSocket>(*this, pump, settings, lookup);
                        },
                        pump};
    HttpFetcher fetcher{controls, *this, pump, limits};
};

TEST(HttpRequest, SendsTheSixLinesAndHandsADigitsOnlyHostOverAsAnAddress)
{
    const struct {
        QByteArray host;
        QByteArray path;
        QByteArray target;
        bool resolved; // SetHostName; otherwise SetHostAddress
    } cases[] = {
        {"www.example.com", "/search?q=link%3Aexample.org&n=10", "/search?q=link%3Aexample.org&n=10", true},
        {"example.org", "", "/", true},
        {"2130706433", "/numeric", "/numeric", false},
        {"127.0.0.1", "/dotted", "/dotted", true},
    };
    Rig rig;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host.toStdString());
        rig.server.answer(c.target, ServerReply::page(longPage));
        rig.route.namesResolved.clear();
        EXPECT_TRUE(rig.fetch(c.host, c.path).succeeded);
        EXPECT_EQ(rig.server.requests().last(),
                  "GET "_ba + c.target + " HTTP/1.0\r\nFrom: user@domain\r\nHost: "_ba + c.host +
                      "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 4.01; Windows 95)\r\n"
                      "Accept: */*\r\nAccept: text/html\r\n\r\n"_ba);
        EXPECT_EQ(rig.route.namesResolved, c.resolved ? QByteArrayList{c.host} : QByteArrayList{});
    }
}

TEST(HttpRequest, ReadsUntilCloseCancelSecondTimeOutDeadlineOrSizeLimit)
{
    using R = ServerReply;
    const QByteArray head = longPage.first(100);
    const QByteArray limit = head + QByteArray(16 * 1024 * 1024 - head.size(), 'x'); // the limit as the program runs
    const struct {
        const char* what;
        QList<ServerReply> replies;
        std::chrono::milliseconds timeout;  // of the socket, since the last byte
        std::chrono::milliseconds deadline; // of each attempt
        bool cancel;                        // pressed once data has come
        FetchFailure failure;
        QByteArray response;
        int requests;
    } cases[] = {
        {"closed after the page", {R::page(longPage)}, 10s, 60s, false, None, longPage, 1},
        {"silent, then served", {R::silence(), R::page(longPage)}, 200ms, 60s, false, None, longPage, 2},
        {"part, then silence, twice", {R::stallAfter(head)}, 200ms, 60s, false, TimedOut, "", 2},
        {"cancel after the part", {R::stallAfter(head)}, 10s, 60s, true, Cancelled, head, 1},
        {"exactly 16 MiB", {R::page(limit)}, 10s, 60s, false, None, limit, 1},
        {"one byte more", {R::page(limit + "x")}, 10s, 60s, false, TooLarge, "", 1},
        {"reset after a part", {R::resetAfter(head)}, 10s, 60s, false, ConnectionBroken, "", 1},
        {"closed before a byte", {R::page("")}, 10s, 60s, false, NoAnswer, "", 1},
        // Each byte that comes puts the socket's time-out off again: slow but steady is not silent...
        {"pieces beyond the time-out", {R::trickle(longPage, 5, 150ms)}, 300ms, 60s, false, None, longPage, 1},
        // ... but every attempt ends at its deadline, and the second one is the last.
        {"pieces beyond the deadline", {R::trickle(longPage, 200, 20ms)}, 300ms, 500ms, false, TimedOut, "", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(c.timeout, FetchLimits{c.deadline});
        rig.server.answer("/page", c.replies);
        rig.duringWaits = [&] {
            if (c.cancel && rig.reads > 0)
                rig.fetcher.requestCancel();
        };
        const HttpResult result = rig.fetch("www.example.com", "/page");
        EXPECT_EQ(result.succeeded, c.failure == None);
        EXPECT_EQ(result.failure.kind, c.failure);
        EXPECT_EQ(result.response, c.response);
        EXPECT_EQ(rig.server.requestCount("/page"), c.requests);
        EXPECT_EQ(rig.fetcher.cancelRequested(), c.cancel);
    }
}

// The limits a fetch of the program has when nothing is injected: 20 s of silence, 60 s an attempt.
TEST(HttpRequest, TheProgramWaitsTwentySecondsOfSilenceAndSixtySecondsAnAttempt)
{
    EXPECT_EQ(SocketSettings{}.timeout, std::chrono::milliseconds(20000));
    EXPECT_EQ(FetchLimits{}.attemptDeadline, std::chrono::milliseconds(60000));
}

TEST(HttpRequest, AStatusLineAtAnyPlaceInAReadIsPartOfThePage)
{
    // The socket hands the page out in reads of 256 bytes; "HTTP/1" comes at every place of the first three, before
    // the count.
    Rig rig;
    for (int offset = 0; offset < 3 * 256; ++offset) {
        const QByteArray page =
            httpPage(QByteArray(offset, 'x') + "HTTP/1.0 200 OK\r\nResults <b>1</b> of about <b>12,345</b>.");
        rig.server.answer("/page", ServerReply::page(page));
        const HttpResult result = rig.fetch("www.example.com", "/page");
        ASSERT_TRUE(result.succeeded) << offset;
        ASSERT_EQ(result.response, page) << offset;
        ASSERT_EQ(FindLinkCount(result.response, u"Google"), 12345) << offset;
    }
    // The same in pieces of every size the network may cut it into.
    const QByteArray page = httpPage(QByteArray(700, 'y') + "HTTP/1.1 404 Not Found\r\n<b>7</b>");
    for (const int pieces : {2, 3, 7, 64}) {
        rig.server.answer("/pieces", ServerReply::trickle(page, pieces, 1ms));
        EXPECT_EQ(rig.fetch("www.example.com", "/pieces").response, page) << pieces;
    }
}

TEST(HttpRequest, AnErrorStatusOrABodyShortOfItsLengthFails)
{
    const QByteArray body = "<html>Results <b>1</b> of about <b>42</b>.</html>"; // 49 bytes
    const struct {
        const char* what;
        QByteArray response;
        FetchFailure failure;
        int status;
        QByteArray statusText;
        qint64 contentLength;
        qint64 bodyLength;
    } cases[] = {
        {"200", "HTTP/1.0 200 OK\r\n\r\n" + body, None, 0, "", 0, 0},
        {"299", "HTTP/1.1 299 Fine\r\n\r\n" + body, None, 0, "", 0, 0},
        {"199", "HTTP/1.0 199 Early\r\n\r\n" + body, ErrorStatus, 199, "Early", 0, 0},
        {"300", "HTTP/1.0 300 Multiple Choices\r\n\r\n" + body, ErrorStatus, 300, "Multiple Choices", 0, 0},
        {"000", "HTTP/1.1 000 Zero\r\n\r\n" + body, ErrorStatus, 0, "Zero", 0, 0},
        {"100", "HTTP/1.1 100 Continue\r\n\r\n" + body, ErrorStatus, 100, "Continue", 0, 0},
        {"301", "HTTP/1.1 301 Moved\r\n\r\n" + body, ErrorStatus, 301, "Moved", 0, 0},
        {"999", "HTTP/1.1 999 Odd\r\n\r\n" + body, ErrorStatus, 999, "Odd", 0, 0},
        {"no reason", "HTTP/1.0 500\r\n\r\n", ErrorStatus, 500, "", 0, 0},
        {"LF alone", "HTTP/1.0 500 Oops\n\n" + body, ErrorStatus, 500, "Oops", 0, 0},
        {"control bytes in the reason", "HTTP/1.0 500 Bad\x1b[2J\x07 Day\r\n\r\n", ErrorStatus, 500, "Bad[2J Day", 0,
         0},
        {"no status line", body, None, 0, "", 0, 0},
        {"not HTTP/1", "HTTP/2 503 No\r\n\r\n" + body, None, 0, "", 0, 0},
        {"two digits", "HTTP/1.0 50 No\r\n\r\n" + body, None, 0, "", 0, 0},
        {"a status line later on", body + "\r\nHTTP/1.0 503 No\r\n", None, 0, "", 0, 0},
        {"more than the length", "HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n" + body, None, 0, "", 0, 0},
        {"short, any letter case", "HTTP/1.0 200 OK\r\ncontent-length:  4000 \r\n\r\n" + body, ShortBody, 0, "", 4000,
         49},
        {"short of the larger of two lengths",
         "HTTP/1.0 200 OK\r\nContent-Length: 60\r\nContent-Length: 49\r\n\r\n" + body, ShortBody, 0, "", 60, 49},
        {"cut inside the head", "HTTP/1.0 200 OK\r\nContent-Length: 49\r\nContent-Ty", ShortBody, 0, "", 49, 0},
        {"a length that is no number", "HTTP/1.0 200 OK\r\nContent-Length: 4x\r\n\r\n" + body, None, 0, "", 0, 0},
        {"a length without a status line", "Content-Length: 4000\r\n\r\n" + body, None, 0, "", 0, 0},
    };
    Rig rig;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        rig.server.answer("/page", ServerReply::page(c.response));
        const HttpResult result = rig.fetch("www.example.com", "/page");
        EXPECT_EQ(result.succeeded, c.failure == None);
        EXPECT_EQ(result.response, c.failure == None ? c.response : QByteArray());
        EXPECT_EQ(result.failure.kind, c.failure);
        EXPECT_EQ(result.failure.status, c.status);
        EXPECT_EQ(result.failure.statusText, c.statusText);
        EXPECT_EQ(result.failure.contentLength, c.contentLength);
        EXPECT_EQ(result.failure.bodyLength, c.bodyLength);
    }
}

TEST(HttpRequest, ResetsAndRetriesOnlyAfterAFlaggedConnectFailureDroppingACancelFromIt)
{
    const ClosedPort closed;
    const FullListener full;
    ASSERT_TRUE(full.isReady());
    const int server = 0; // the rig's server
    const struct {
        const char* what;
        QByteArray host;
        std::vector<int> ports;
        FetchFailure failure;
        int namesResolved; // one per attempt for a name
        int socketsMade;
        QString events; // the socket's: a time-out comes before the LastError of the same wait
    } cases[] = {
        {"name not found: no second attempt", "nowhere.invalid", {server}, HostNotFound, 1, 1, u"25001"_s},
        {"refused twice", "www.example.com", {closed.port()}, ConnectFailed, 2, 3, u"25004 25004"_s},
        {"refused, then served", "www.example.com", {closed.port(), server}, None, 2, 2, u"25004"_s},
        {"connect time-out: no reset, no retry", "www.example.com", {full.port()}, TimedOut, 1, 1, u"Timeout 25005"_s},
        {"digits only: 127.0.0.7, no name, refused twice",
         "2130706439",
         {server},
         ConnectFailed,
         0,
         3,
         u"25004 25004"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(200ms);
        rig.server.answer("/", ServerReply::page(longPage));
        rig.route.ports = c.ports;
        std::replace(rig.route.ports.begin(), rig.route.ports.end(), server, rig.server.port());
        // Cancel is pressed whenever events run after a refused connect, the reset after it included.
        rig.duringWaits = [&] {
            if (!rig.route.dialled.empty() && rig.route.dialled.back() == closed.port())
                rig.fetcher.requestCancel();
        };
        const HttpResult result = rig.fetch(c.host, "/");
        const bool succeeded = c.failure == None;
        EXPECT_EQ(result.succeeded, succeeded);
        EXPECT_EQ(result.failure.kind, c.failure);
        EXPECT_EQ(result.response, succeeded ? longPage : QByteArray());
        EXPECT_EQ(rig.route.namesResolved.size(), c.namesResolved);
        EXPECT_EQ(rig.socketsMade, c.socketsMade);
        EXPECT_EQ(rig.events.join(u' '), c.events);
        EXPECT_EQ(rig.server.requestCount(), succeeded ? 1 : 0);
        EXPECT_FALSE(rig.fetcher.cancelRequested());
    }
}

TEST(HttpRequest, CancelEndsAConnectOrANameLookupThatGetsNoAnswerWithinOneSlice)
{
    const FullListener full;
    ASSERT_TRUE(full.isReady());
    // A name server that answers only once the test is over.
    std::promise<void> testOver;
    const NameResolver silentNameServer = [over = testOver.get_future().share()](const QByteArray&) {
        over.wait();
        return std::optional<quint32>();
    };
    const struct {
        const char* what;
        NameResolver nameServer;
    } cases[] = {{"connect", nullptr}, {"name lookup", silentNameServer}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(3s); // without the cancel the wait would end here, with a time-out
        rig.route.ports = {full.port()};
        rig.route.nameServer = c.nameServer;
        int slicesAfterCancel = -1;
        rig.duringWaits = [&] {
            if (slicesAfterCancel++ < 0)
                rig.fetcher.requestCancel();
        };
        const HttpResult result = rig.fetch("www.example.com", "/");
        EXPECT_FALSE(result.succeeded);
        EXPECT_EQ(result.failure.kind, Cancelled);
        EXPECT_TRUE(rig.fetcher.cancelRequested());
        EXPECT_FALSE(rig.controls.SocketTimedOut());
        EXPECT_LE(slicesAfterCancel, 1);
    }
    testOver.set_value();
}

TEST(HttpRequest, ANameLookupWithoutAnAnswerFailsAtTheTimeOutAndHoldsOneThreadAtMost)
{
    // A name server that never answers for one name until the test lets it.
    std::promise<void> answer;
    std::mutex mutex;
    QByteArrayList namesAsked;
    const NameResolver nameServer = [released = answer.get_future().share(), &mutex,
                                     &namesAsked](const QByteArray& name) {
        {
            const std::lock_guard lock(mutex);
            namesAsked.append(name);
        }
        if (name == "hang.example")
            released.wait();
        return std::optional<quint32>(0x7f000001);
    };
    const auto asked = [&] {
        const std::lock_guard lock(mutex);
        return namesAsked;
    };
    Rig rig(200ms);
    rig.route.nameServer = nameServer;
    rig.server.answer("/", ServerReply::page(longPage));
    const QByteArray hosts[] = {"hang.example", "www.example.com", "hang.example", "www.example.org"};
    for (const QByteArray& host : hosts) {
        SCOPED_TRACE(host.toStdString());
        const HttpResult result = rig.fetch(host, "/");
        EXPECT_FALSE(result.succeeded);
        EXPECT_EQ(result.failure.kind, LookupTimedOut);
        EXPECT_EQ(rig.events.join(u' '), u"Timeout 25005"_s);
        rig.events.clear();
    }
    // The lookups behind the one that hangs were given up before they began, and never begin.
    EXPECT_EQ(asked(), QByteArrayList{"hang.example"});
    EXPECT_EQ(rig.server.requestCount(), 0);

    answer.set_value();
    EXPECT_TRUE(rig.fetch("www.example.com", "/").succeeded);
    EXPECT_EQ(asked(), (QByteArrayList{"hang.example", "www.example.com"}));
}

TEST(HttpRequest, RefusesAnEmptyHostAndLineBreaksOrNulWithoutTouchingAnything)
{
    const struct {
        QByteArray host;
        QByteArray path;
    } cases[] = {{"", "/"},
                 {"www.example.com\r\nX-Other: 1", "/"},
                 {"www.example.com", "/a\nb"},
                 {"www.example.com", "/a\rb"},
                 {"www.example.com", QByteArray("/a\0b", 4)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host.toStdString() + " " + c.path.toStdString());
        Rig rig;
        const HttpResult result = rig.fetcher.HttpRequest(c.host, c.path);
        EXPECT_FALSE(result.succeeded);
        EXPECT_EQ(result.failure.kind, RequestRefused);
        EXPECT_TRUE(result.response.isEmpty());
        EXPECT_TRUE(rig.pointerStates.empty());
        EXPECT_EQ(rig.fetcher.BusyCount(), 0);
        EXPECT_FALSE(rig.controls.hasSocket());
        EXPECT_EQ(rig.server.requestCount(), 0);
    }
}

TEST(SocketHost, LastErrorFlagsAConnectFailureUnlessTheHostIsUnknownOrATimeOutCameFirst)
{
    const struct {
        int code;
        bool timeoutFirst;
        bool connectFailed;
    } cases[] = {
        {SocketError::HostNotFound, false, false}, {SocketError::ConnectFailed, false, true},
        {SocketError::ReceiveFailed, false, true}, {SocketError::TimedOut, true, false},
        {SocketError::ConnectFailed, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        SocketHost host({}, {});
        if (c.timeoutFirst)
            host.Socket1_Timeout();
        int response = 0;
        host.Socket1_LastError(c.code, u"text"_s, response);
        EXPECT_EQ(host.SocketConnectFailed(), c.connectFailed);
        EXPECT_EQ(host.SocketTimedOut(), c.timeoutFirst);
    }
}

} // namespace
