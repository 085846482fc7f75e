#include "net/nettestkit.h"
#include "net/posixsocket.h"
#include "support/httptestserver.h"
#include "support/loopbackports.h"

#include <QElapsedTimer>
#include <QStringList>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class RecordingEvents : public SocketEvents {
public:
    void LastError(int code, const QString&, int&) override { events.append(u"LastError "_s + QString::number(code)); }
    void Timeout() override { events.append(u"Timeout"_s); }
    void Read() override { ++reads; }
    void Timer() override { events.append(u"Timer"_s); }

    QStringList events;
    int reads = 0;
};

struct SocketRig {
    explicit SocketRig(std::chrono::milliseconds timeout = 10s)
        : route{.ports = {server.port()}, .timeout = timeout, .namesResolved = {}, .connects = 0}
    {
    }

    // Connects to the server (or the port given) and sends a request for path.
    int connectAndAsk(const QByteArray& path)
    {
        socket.SetHostName("www.example.com");
        socket.SetRemotePort(80);
        const int result = socket.Connect();
        if (result == 0)
            socket.Send("GET " + path + " HTTP/1.0\r\n\r\n");
        return result;
    }

    HttpTestServer server;
    LoopbackRoute route;
    RecordingEvents events;
    int pumpRuns = 0;
    PosixSocket socket{events, [this] { ++pumpRuns; }, route.settings()};
};

TEST(PosixSocket, TakesNumericAddressesAndResolvesNames)
{
    const struct {
        bool numeric;
        QByteArray host;
        bool taken;
        QStringList events;
    } cases[] = {
        {true, "2130706433", true, {}},
        {true, "4294967295", true, {}},
        {true, "4294967296", false, {u"LastError 25002"_s}},
        {true, "99999999999999", false, {u"LastError 25002"_s}},
        {false, "www.example.com", true, {}},
        {false, "nowhere.invalid", false, {u"LastError 25001"_s}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host.toStdString());
        SocketRig rig;
        EXPECT_EQ(c.numeric ? rig.socket.SetHostAddress(c.host) : rig.socket.SetHostName(c.host), c.taken);
        EXPECT_EQ(rig.events.events, c.events);
    }
    // Without a resolver of its own the socket asks the system, which knows numeric names without a lookup.
    RecordingEvents events;
    PosixSocket system(events, {});
    EXPECT_TRUE(system.SetHostName("127.0.0.1"));
    EXPECT_TRUE(events.events.isEmpty());
}

TEST(PosixSocket, ConnectReportsRefusalAndTimeOutThroughItsEvents)
{
    const ClosedPort closed;
    const FullListener full;
    ASSERT_TRUE(full.isReady());
    const struct {
        const char* what;
        int port; // 0: the rig's server
        int result;
        QStringList events;
    } cases[] = {
        {"served", 0, 0, {}},
        {"refused", closed.port(), SocketError::ConnectFailed, {u"LastError 25004"_s}},
        {"no answer", full.port(), SocketError::TimedOut, {u"Timeout"_s, u"LastError 25005"_s}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SocketRig rig(200ms);
        if (c.port != 0)
            rig.route.ports = {c.port};
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(rig.connectAndAsk("/"), c.result);
        EXPECT_EQ(rig.socket.IsConnected(), c.result == 0);
        EXPECT_EQ(rig.events.events, c.events);
        if (c.result == SocketError::TimedOut) {
            EXPECT_GE(clock.elapsed(), 200);
            EXPECT_GE(rig.pumpRuns, 2); // events ran between the slices of the wait
        }
    }
}

TEST(PosixSocket, HandsOutAtMostTheCountAskedForUntilTheServerHasClosed)
{
    QByteArray page = httpPage(QByteArray(5000, 'p'));
    SocketRig rig;
    rig.server.answerOthers(ServerReply::inPieces(page, 1500));
    ASSERT_EQ(rig.connectAndAsk("/"), 0);
    QByteArray received;
    QByteArray buffer;
    while (!rig.socket.IsFinished()) {
        const int count = rig.socket.Receive(buffer, 256);
        ASSERT_LE(count, 256);
        ASSERT_EQ(buffer.size(), std::max(count, 0));
        received += buffer;
    }
    EXPECT_EQ(received, page);
    EXPECT_GE(rig.events.reads, 1);
    EXPECT_FALSE(rig.socket.IsConnected());
    EXPECT_EQ(rig.socket.Receive(buffer, 256), 0);
    EXPECT_TRUE(buffer.isEmpty());
    EXPECT_EQ(rig.socket.Disconnect(), 0);
    EXPECT_FALSE(rig.socket.IsFinished());
    EXPECT_EQ(rig.socket.Disconnect(), 0); // harmless without a connection
}

TEST(PosixSocket, ReceiveWaitsOneSliceAndTimesOutOnlyAfterTheWholeTimeOut)
{
    SocketRig rig(300ms);
    rig.server.answerOthers(ServerReply::silence());
    ASSERT_EQ(rig.connectAndAsk("/"), 0);
    QElapsedTimer sinceSend;
    sinceSend.start();
    QByteArray buffer;
    qint64 longestReceive = 0;
    while (rig.events.events.isEmpty() && sinceSend.elapsed() < 10000) {
        QElapsedTimer receive;
        receive.start();
        EXPECT_EQ(rig.socket.Receive(buffer, 256), 0);
        longestReceive = std::max(longestReceive, receive.elapsed());
    }
    EXPECT_EQ(rig.events.events, QStringList{u"Timeout"_s});
    EXPECT_GE(sinceSend.elapsed(), 300);
    EXPECT_LT(longestReceive, 250);
    EXPECT_TRUE(rig.socket.IsConnected());
}

} // namespace
