#include "net/nettestkit.h"
#include "net/sockethost.h"
#include "support/httptestserver.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

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

TEST(SocketHost, ResetReplacesTheSocketWithAFreshUnconnectedOne)
{
    HttpTestServer server;
    LoopbackRoute route({server.port()});
    SocketHost host(posixSocketFactory({}, route.settings()), {});
    ASSERT_TRUE(host.Socket1().SetHostName("www.example.com"));
    host.Socket1().SetRemotePort(80);
    ASSERT_EQ(host.Socket1().Connect(), 0);

    host.ResetSocket();
    EXPECT_FALSE(host.Socket1().IsConnected());
    // The fresh socket has neither host nor port, so a connect cannot even start.
    EXPECT_EQ(host.Socket1().Connect(), SocketError::InvalidAddress);
}

} // namespace
