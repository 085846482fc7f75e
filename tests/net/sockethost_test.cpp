#include "net/nettestkit.h"
#include "net/sockethost.h"
#include "support/httptestserver.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A socket that only notes what happens to it in a shared journal; it keeps the sink it was made with, so a test
// can raise events as a real socket would.
class FakeSocket final : public SocketControl {
public:
    FakeSocket(int number, QStringList& journal)
        : m_name(QString::number(number))
        , m_journal(journal)
    {
        m_journal.append(u"made "_s + m_name);
    }
    ~FakeSocket() override { m_journal.append(u"destroyed "_s + m_name); }

    bool IsConnected() const override { return false; }
    bool SetHostAddress(const QByteArray&) override { return true; }
    bool SetHostName(const QByteArray&) override { return true; }
    void SetRemotePort(int) override {}
    int Connect() override { return 0; }
    int Disconnect() override { return 0; }
    int Send(const QByteArray& data) override { return int(data.size()); }
    int Receive(QByteArray& buffer, int) override
    {
        buffer.clear();
        return 0;
    }
    bool IsFinished() const override { return false; }
    void Abandon() override { m_journal.append(u"abandoned "_s + m_name); }

private:
    QString m_name;
    QStringList& m_journal;
};

struct FakeRig {
    QStringList journal;
    SocketEvents* events = nullptr;
    SocketHost host{[this](SocketEvents& sink) {
                        events = &sink;
                        return std::make_unique<FakeSocket>(int(journal.filter(u"made"_s).size()) + 1, journal);
                    },
                    [this] { journal.append(u"events run"_s); }};
};

TEST(SocketHost, LastErrorFlagsAConnectFailureUnlessTheHostIsUnknownOrATimeOutCameFirst)
{
    const struct {
        int code;
        bool timedOut;
        bool connectFailed;
    } cases[] = {
        {SocketError::HostNotFound, false, false},
        {SocketError::HostNotFound, true, false},
        {SocketError::ConnectFailed, false, true},
        {SocketError::ConnectFailed, true, false},
        {SocketError::TimedOut, true, false},
        {SocketError::ReceiveFailed, false, true},
        {10061, false, true},
        {-1, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        FakeRig rig;
        rig.host.setSocketTimedOut(c.timedOut);
        int response = 7;
        rig.host.Socket1_LastError(c.code, u"text"_s, response);
        EXPECT_EQ(rig.host.SocketConnectFailed(), c.connectFailed);
        EXPECT_EQ(rig.host.SocketTimedOut(), c.timedOut);
        EXPECT_EQ(response, 7);
    }
}

TEST(SocketHost, TimeoutSetsItsFlagAndReadAndTimerChangeNothing)
{
    FakeRig rig;
    rig.host.Socket1();
    ASSERT_NE(rig.events, nullptr);
    rig.events->Read();
    rig.events->Timer();
    EXPECT_FALSE(rig.host.SocketTimedOut());
    EXPECT_FALSE(rig.host.SocketConnectFailed());

    // A connect that times out raises both events, in this order: no connect failure is flagged.
    int response = 0;
    rig.events->Timeout();
    rig.events->LastError(SocketError::TimedOut, u"timed out"_s, response);
    EXPECT_TRUE(rig.host.SocketTimedOut());
    EXPECT_FALSE(rig.host.SocketConnectFailed());
    // The flags stay until someone clears them.
    rig.events->Read();
    EXPECT_TRUE(rig.host.SocketTimedOut());
}

TEST(SocketHost, MakesTheSocketOnFirstUseAndAFreshOneOnReset)
{
    FakeRig rig;
    EXPECT_FALSE(rig.host.hasSocket());
    SocketControl* first = &rig.host.Socket1();
    EXPECT_EQ(&rig.host.Socket1(), first);
    rig.host.ResetSocket();
    EXPECT_EQ(rig.journal,
              (QStringList{u"made 1"_s, u"abandoned 1"_s, u"destroyed 1"_s, u"events run"_s, u"made 2"_s}));
}

TEST(SocketHost, ResetLeavesAnUnconnectedSocketWithItsInitialSettings)
{
    HttpTestServer server;
    server.answerOthers(ServerReply::silence());
    LoopbackRoute route;
    route.ports = {server.port()};
    SocketHost host(posixSocketFactory({}, route.settings()), {});
    ASSERT_TRUE(host.Socket1().SetHostName("www.example.com"));
    host.Socket1().SetRemotePort(80);
    ASSERT_EQ(host.Socket1().Connect(), 0);
    ASSERT_TRUE(host.Socket1().IsConnected());

    host.ResetSocket();
    EXPECT_FALSE(host.Socket1().IsConnected());
    EXPECT_TRUE(server.waitUntilNoConnection(5s));
    // No host and no port yet: a connect fails at once.
    EXPECT_EQ(host.Socket1().Connect(), SocketError::InvalidAddress);
    EXPECT_EQ(route.connects, 1);
}

} // namespace
