#include "net/httpfetcher.h"
#include "net/nettestkit.h"
#include "net/sockethost.h"
#include "support/httptestserver.h"
#include "support/loopbackports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QByteArray userAgent = "Mozilla/4.0 (compatible; MSIE 4.01; Windows 95)"_ba;

// A page longer than one read, with no status line anywhere but at its start.
QByteArray longPage()
{
    return httpPage(QByteArray(3000, 'x') + "<b>12,345</b>"_ba);
}

// One fetcher with its own server, socket host and pointer. Port 80 of every name goes to the server unless a
// test routes it elsewhere; duringWaits runs whenever the request lets events run.
struct Rig {
    explicit Rig(std::chrono::milliseconds timeout = 10s)
    {
        route.timeout = timeout;
        route.ports = {server.port()};
    }

    // Fetches and checks what every request that gets as far as the socket leaves behind: the pointer raised
    // and lowered once, the socket and the server without a connection.
    HttpResult fetch(QByteArrayView host, QByteArrayView path)
    {
        busy.states.clear();
        const int busyBefore = fetcher.BusyCount();
        const HttpResult result = fetcher.HttpRequest(host, path);
        EXPECT_EQ(fetcher.BusyCount(), busyBefore);
        EXPECT_EQ(busy.states, (std::vector<bool>{true, busyBefore > 0}));
        EXPECT_FALSE(controls.Socket1().IsConnected());
        EXPECT_TRUE(server.waitUntilNoConnection(5s));
        return result;
    }

    void pump()
    {
        if (duringWaits)
            duringWaits();
    }

    HttpTestServer server;
    LoopbackRoute route;
    SocketLog log;
    std::function<void()> duringWaits;
    SocketHost controls{[this](SocketEvents& events) {
                            return std::make_unique<ObservedSocket>(std::make_unique<PosixSocket>(
                                                                        events, [this] { pump(); }, route.settings()),
                                                                    log);
                        },
                        [this] { pump(); }};
    RecordingBusyPointer busy;
    HttpFetcher fetcher{controls, busy, [this] { pump(); }};
};

TEST(HttpRequest, SendsTheRequestLinesByteForByte)
{
    const struct {
        QByteArray host;
        QByteArray path;
        QByteArray requestLine;
        QByteArray hostSetting;
    } cases[] = {
        {"www.example.com", "/search?q=link%3Aexample.org&n=10", "GET /search?q=link%3Aexample.org&n=10 HTTP/1.0",
         "name www.example.com"},
        {"example.org", "", "GET / HTTP/1.0", "name example.org"},
        {"2130706433", "/numeric", "GET /numeric HTTP/1.0", "address 2130706433"},
        {"127.0.0.1", "/dotted", "GET /dotted HTTP/1.0", "name 127.0.0.1"},
    };
    Rig rig;
    rig.server.answerOthers(ServerReply::page(longPage()));
    EXPECT_TRUE(rig.fetcher.UserAgent().isEmpty());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.requestLine.toStdString());
        const HttpResult result = rig.fetch(c.host, c.path);
        EXPECT_TRUE(result.succeeded);
        EXPECT_EQ(result.response, longPage());
        EXPECT_EQ(rig.server.lastRequest(), c.requestLine + "\r\nFrom: user@domain\r\nHost: "_ba + c.host +
                                                "\r\nUser-Agent: "_ba + userAgent +
                                                "\r\nAccept: */*\r\nAccept: text/html\r\n\r\n"_ba);
        EXPECT_EQ(rig.log.hostSettings.last(), c.hostSetting);
    }
    EXPECT_EQ(rig.fetcher.UserAgent(), userAgent);
    EXPECT_EQ(rig.log.created, 1); // one socket serves every request
}

TEST(HttpRequest, ReadsUntilTheServerClosesOrASecondStatusLineBeginsARead)
{
    const QByteArray first = httpPage(QByteArray(256 - 44, 'a'));
    ASSERT_EQ(first.size(), 256); // a read ends exactly where the next block begins
    const QByteArray statusInside = httpPage(QByteArray(80, 'b') + " HTTP/1.1 200 OK "_ba + QByteArray(400, 'c'));
    const struct {
        const char* what;
        ServerReply reply;
        QByteArray response;
    } cases[] = {
        {"at once", ServerReply::page(longPage()), longPage()},
        {"in many small writes", ServerReply::inPieces(longPage(), 7), longPage()},
        {"without a status line", ServerReply::page("<html>no status</html>"), "<html>no status</html>"},
        {"closed without a byte", ServerReply::closeAtOnce(), ""},
        {"status line inside a read", ServerReply::page(statusInside), statusInside},
        {"second status line", ServerReply::blocks({first, httpPage("again", "302 Found"), "tail"}), first},
        {"second status line after two reads",
         ServerReply::blocks({first + QByteArray(256, 'd'), "HTTP/1.0 200 OK\r\n\r\n"}), first + QByteArray(256, 'd')},
        {"reset after part of the body", ServerReply::resetAfter(first), first},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        rig.server.answerOthers(c.reply);
        const HttpResult result = rig.fetch("www.example.com", "/page");
        EXPECT_TRUE(result.succeeded);
        EXPECT_EQ(result.response, c.response);
        EXPECT_EQ(rig.server.requestCount(), 1);
    }
}

TEST(HttpRequest, TriesOnceMoreAfterAReadTimeOut)
{
    const QByteArray head = longPage().first(100);
    const struct {
        const char* what;
        QList<ServerReply> replies;
        bool succeeded;
        QByteArray response;
    } cases[] = {
        {"silence, then the page", {ServerReply::silence(), ServerReply::page(longPage())}, true, longPage()},
        {"part, then the page", {ServerReply::stallAfter(head), ServerReply::page(longPage())}, true, longPage()},
        {"silence twice", {ServerReply::silence()}, false, ""},
        {"part twice", {ServerReply::stallAfter(head)}, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(200ms);
        rig.server.answer("/slow", c.replies);
        const HttpResult result = rig.fetch("www.example.com", "/slow");
        EXPECT_EQ(result.succeeded, c.succeeded);
        EXPECT_EQ(result.response, c.response);
        EXPECT_EQ(rig.server.requestCount("/slow"), 2);
        EXPECT_EQ(rig.controls.SocketTimedOut(), !c.succeeded); // left as the last event set it
        EXPECT_EQ(rig.log.created, 1);                          // a time-out needs no fresh socket
    }
}

TEST(HttpRequest, ResetsTheSocketOnlyAfterAFlaggedConnectFailure)
{
    const ClosedPort closed;
    const FullListener full;
    ASSERT_TRUE(full.isReady());
    const struct {
        const char* what;
        QByteArray host;
        std::vector<int> ports; // empty: the rig's server
        bool succeeded;
        int connects;
        int socketsMade;
        bool timedOut;
    } cases[] = {
        {"name not found: no second attempt", "nowhere.invalid", {}, false, 0, 1, false},
        {"refused twice", "www.example.com", {closed.port()}, false, 2, 3, false},
        {"refused, then served", "www.example.com", {closed.port(), 0}, true, 2, 2, false},
        {"connect time-out: no reset, no retry", "www.example.com", {full.port()}, false, 1, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(200ms);
        rig.server.answerOthers(ServerReply::page(longPage()));
        if (!c.ports.empty()) {
            rig.route.ports = c.ports;
            std::replace(rig.route.ports.begin(), rig.route.ports.end(), 0, rig.server.port());
        }
        const HttpResult result = rig.fetch(c.host, "/");
        EXPECT_EQ(result.succeeded, c.succeeded);
        EXPECT_EQ(result.response, c.succeeded ? longPage() : QByteArray());
        EXPECT_EQ(rig.route.connects, c.connects);
        EXPECT_EQ(rig.log.created, c.socketsMade);
        EXPECT_EQ(rig.log.abandoned, c.socketsMade - 1);
        EXPECT_EQ(rig.log.hostSettings.size(), std::max(c.connects, 1));
        EXPECT_EQ(rig.controls.SocketTimedOut(), c.timedOut);
        EXPECT_FALSE(rig.controls.SocketConnectFailed());
        EXPECT_EQ(rig.server.requestCount(), c.succeeded ? 1 : 0);
    }
}

TEST(HttpRequest, CancelWhileReadingKeepsThePartAndTheFlag)
{
    const QByteArray head = httpPage("<html>first part");
    Rig rig;
    rig.server.answerOthers(ServerReply::stallAfter(head));
    rig.duringWaits = [&] {
        if (rig.log.bytesReceived > 0)
            rig.fetcher.requestCancel();
    };
    const HttpResult result = rig.fetch("www.example.com", "/");
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(result.response, head);
    EXPECT_TRUE(rig.fetcher.cancelRequested());
    EXPECT_EQ(rig.server.requestCount(), 1);
}

TEST(HttpRequest, CancelDuringAFailedConnectIsDroppedByTheNextAttempt)
{
    const ClosedPort closed;
    const struct {
        const char* what;
        bool secondServed;
    } cases[] = {{"second attempt served", true}, {"no attempt left", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        rig.server.answerOthers(ServerReply::page(longPage()));
        rig.route.ports = {closed.port(), c.secondServed ? rig.server.port() : closed.port()};
        // Cancel is pressed while a failed connect and the reset after it let events run.
        rig.duringWaits = [&] {
            if (rig.route.connects == 1 || !c.secondServed)
                rig.fetcher.requestCancel();
        };
        const HttpResult result = rig.fetch("www.example.com", "/");
        EXPECT_EQ(result.succeeded, c.secondServed);
        EXPECT_FALSE(rig.fetcher.cancelRequested());
    }
}

TEST(HttpRequest, RefusesAnEmptyHostAndLineBreaksWithoutTouchingAnything)
{
    const struct {
        QByteArray host;
        QByteArray path;
    } cases[] = {
        {"", "/"},
        {"", ""},
        {"www.example.com\r\nX-Other: 1", "/"},
        {"www.example.com", "/a HTTP/1.0\r\nX-Other: 1"},
        {"www.example.com", "/a\nb"},
        {"www.example.com", "/a\rb"},
        {"www.example.com", QByteArray("/a\0b", 4)},
        {QByteArray("www\0.example.com", 16), "/"},
    };
    Rig rig;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host.toStdString() + " " + c.path.toStdString());
        const HttpResult result = rig.fetcher.HttpRequest(c.host, c.path);
        EXPECT_FALSE(result.succeeded);
        EXPECT_TRUE(result.response.isEmpty());
    }
    EXPECT_TRUE(rig.busy.states.empty());
    EXPECT_EQ(rig.fetcher.BusyCount(), 0);
    EXPECT_FALSE(rig.controls.hasSocket());
    EXPECT_EQ(rig.server.requestCount(), 0);
    EXPECT_EQ(rig.fetcher.UserAgent(), userAgent); // set before the host is looked at
}

TEST(HttpRequest, EndsAResponseAboveSixteenMebibytesAsAFailure)
{
    const QByteArray head = httpPage("");
    const qsizetype limit = HttpFetcher::MaxResponseSize;
    const struct {
        const char* what;
        ServerReply reply;
        bool succeeded;
        qsizetype size;
    } cases[] = {
        {"exactly the limit", ServerReply::page(head + QByteArray(limit - head.size(), 'x')), true, limit},
        {"one byte more", ServerReply::page(head + QByteArray(limit - head.size() + 1, 'x')), false, 0},
        {"endless", ServerReply::endless(head, QByteArray(64 * 1024, 'y')), false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        rig.server.answerOthers(c.reply);
        const HttpResult result = rig.fetch("www.example.com", "/big");
        EXPECT_EQ(result.succeeded, c.succeeded);
        EXPECT_EQ(result.response.size(), c.size);
    }
}

TEST(HttpRequest, KeepsTheBusyMarkOfOtherHolders)
{
    Rig rig;
    rig.server.answerOthers(ServerReply::page(longPage()));
    rig.fetcher.SetBusyCursor(true);
    EXPECT_TRUE(rig.fetch("www.example.com", "/").succeeded);
    EXPECT_EQ(rig.fetcher.BusyCount(), 1);
    EXPECT_EQ(rig.busy.states, (std::vector<bool>{true, true}));
    rig.fetcher.SetBusyCursor(false);
    EXPECT_EQ(rig.busy.states.back(), false);
}

TEST(HttpRequest, RefusesACallFromInsideARunningRequest)
{
    Rig rig;
    rig.server.answerOthers(ServerReply::page(longPage()));
    std::optional<HttpResult> nested;
    rig.duringWaits = [&] {
        if (!nested)
            nested = rig.fetcher.HttpRequest("other.example.com", "/nested");
    };
    const HttpResult outer = rig.fetch("www.example.com", "/");
    EXPECT_TRUE(outer.succeeded);
    ASSERT_TRUE(nested.has_value());
    EXPECT_FALSE(nested->succeeded);
    EXPECT_EQ(rig.server.requestCount(), 1);
}

} // namespace
