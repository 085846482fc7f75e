#include "net/nettestkit.h"
#include "net/posixsocket.h"
#include "support/httptestserver.h"
#include "support/loopbackports.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A socket set to www.example.com, whose port 80 leads to port; the rig records the events it raises.
struct SocketRig : SocketEvents {
    SocketRig(int port, std::chrono::milliseconds timeout)
        : route({port}, timeout)
    {
        socket.SetHostName("www.example.com");
        socket.SetRemotePort(80);
    }

    void LastError(int code, const QString&, int&) override { events.append(u"LastError "_s + QString::number(code)); }
    void Timeout() override { events.append(u"Timeout"_s); }
    void Read() override {}
    void Timer() override {}

    QStringList events;
    LoopbackRoute route;
    PosixSocket socket{*this, {}, route.settings()};
};

TEST(PosixSocket, ReportsAFailedConnectAsLastErrorAfterTheTimeoutOfTheSameWait)
{
    const ClosedPort closed;
    const FullListener full;
    ASSERT_TRUE(full.isReady());
    const struct {
        const char* what;
        int port;
        int result;
        QStringList events;
    } cases[] = {
        {"refused", closed.port(), SocketError::ConnectFailed, {u"LastError 25004"_s}},
        {"no answer", full.port(), SocketError::TimedOut, {u"Timeout"_s, u"LastError 25005"_s}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SocketRig rig(c.port, 200ms);
        EXPECT_EQ(rig.socket.Connect(), c.result);
        EXPECT_FALSE(rig.socket.IsConnected());
        EXPECT_EQ(rig.events, c.events);
    }
}

} // namespace
