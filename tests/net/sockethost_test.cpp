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

} // namespace
