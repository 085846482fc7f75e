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

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

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
    explicit Rig(std::chrono::milliseconds timeout = 10s)
        : route({server.port()}, timeout)
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
    EventPump duringWaits;
    SocketEvents* hostEvents = nullptr;
    QStringList events;
    int reads = 0;
    int socketsMade = 0;
    std::vector<bool> pointerStates;
    EventPump pump = [this] { runEvents(duringWaits); };
    SocketHost controls{[this](SocketEvents& events) {
                            hostEvents = &events;
                            ++socketsMade;
                            return std::make_unique<PosixSocket>(*this, pump, route.settings());
                        },
                        pump};
    HttpFetcher fetcher{controls, *this, pump};
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
        rig.route.namesResolved.clear();
        EXPECT_TRUE(rig.fetch(c.host, c.path).succeeded);
        EXPECT_EQ(rig.server.requests().last(),
                  "GET "_ba + c.target + " HTTP/1.0\r\nFrom: user@domain\r\nHost: "_ba + c.host +
                      "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 4.01; Windows 95)\r\n"
                      "Accept: */*\r\nAccept: text/html\r\n\r\n"_ba);
        EXPECT_EQ(rig.route.namesResolved, c.resolved ? QByteArrayList{c.host} : QByteArrayList{});
    }
}

TEST(HttpRequest, ReadsUntilCloseSecondStatusLineCancelSecondTimeOutOrSizeLimit)
{
    const QByteArray first = httpPage(QByteArray(256 - 44, 'a'));
    ASSERT_EQ(first.size(), 256); // the next read begins right after it
    // Its second status line lies inside the second read.
    const QByteArray statusInside = httpPage(QByteArray(300, 'b') + " HTTP/1.1 200 OK "_ba + QByteArray(400, 'c'));
    const QByteArray head = longPage.first(100);
    const QByteArray limit = head + QByteArray(HttpFetcher::MaxResponseSize - head.size(), 'x');
    const struct {
        const char* what;
        QList<ServerReply> replies;
        std::chrono::milliseconds timeout;
        bool cancel; // pressed once data has come
        bool succeeded;
        QByteArray response;
        int requests;
    } cases[] = {
        {"closed after the page", {ServerReply::page(longPage)}, 10s, false, true, longPage, 1},
        {"status line inside a read", {ServerReply::page(statusInside)}, 10s, false, true, statusInside, 1},
        {"second status line", {ServerReply::page(first + httpPage("again"))}, 10s, false, true, first, 1},
        {"not HTTP/1", {ServerReply::page(first + "HTTP/2 200")}, 10s, false, true, first + "HTTP/2 200", 1},
        {"nor http/1", {ServerReply::page(first + "http/1.0 200")}, 10s, false, true, first + "http/1.0 200", 1},
        {"silent, then served", {ServerReply::silence(), ServerReply::page(longPage)}, 200ms, false, true, longPage, 2},
        {"part, then silence, twice", {ServerReply::stallAfter(head)}, 200ms, false, false, "", 2},
        {"cancel after the part", {ServerReply::stallAfter(head)}, 10s, true, false, head, 1},
        {"exactly 16 MiB", {ServerReply::page(limit)}, 10s, false, true, limit, 1},
        {"one byte more", {ServerReply::page(limit + "x")}, 10s, false, false, "", 1},
        {"reset after a part", {ServerReply::resetAfter(head)}, 10s, false, false, "", 1},
        // Each byte that comes puts the time-out off again: slow but steady is not silent.
        {"a page in pieces, longer than the time-out",
         {ServerReply::trickle(longPage, 5, 150ms)},
         300ms,
         false,
         true,
         longPage,
         1},
        {"closed before a byte", {ServerReply::page("")}, 10s, false, false, "", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(c.timeout);
        rig.server.answer("/page", c.replies);
        rig.duringWaits = [&] {
            if (c.cancel && rig.reads > 0)
                rig.fetcher.requestCancel();
        };
        const HttpResult result = rig.fetch("www.example.com", "/page");
        EXPECT_EQ(result.succeeded, c.succeeded);
        EXPECT_EQ(result.response, c.response);
        EXPECT_EQ(rig.server.requestCount("/page"), c.requests);
        EXPECT_EQ(rig.fetcher.cancelRequested(), c.cancel);
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
        bool succeeded;
        int namesResolved; // one per attempt for a name
        int socketsMade;
        QString events; // the socket's: a time-out comes before the LastError of the same wait
    } cases[] = {
        {"name not found: no second attempt", "nowhere.invalid", {server}, false, 1, 1, u"25001"_s},
        {"refused twice", "www.example.com", {closed.port()}, false, 2, 3, u"25004 25004"_s},
        {"refused, then served", "www.example.com", {closed.port(), server}, true, 2, 2, u"25004"_s},
        {"connect time-out: no reset, no retry", "www.example.com", {full.port()}, false, 1, 1, u"Timeout 25005"_s},
        {"digits only: 127.0.0.7, no name, refused twice", "2130706439", {server}, false, 0, 3, u"25004 25004"_s},
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
        EXPECT_EQ(result.succeeded, c.succeeded);
        EXPECT_EQ(result.response, c.succeeded ? longPage : QByteArray());
        EXPECT_EQ(rig.route.namesResolved.size(), c.namesResolved);
        EXPECT_EQ(rig.socketsMade, c.socketsMade);
        EXPECT_EQ(rig.events.join(u' '), c.events);
        EXPECT_EQ(rig.server.requestCount(), c.succeeded ? 1 : 0);
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
        EXPECT_TRUE(rig.fetcher.cancelRequested());
        EXPECT_FALSE(rig.controls.SocketTimedOut());
        EXPECT_LE(slicesAfterCancel, 1);
    }
    testOver.set_value();
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
