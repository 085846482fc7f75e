#pragma once

#include "net/eventpump.h"
#include "net/namelookup.h"
#include "net/socketcontrol.h"

#include <QDeadlineTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Where and how long a PosixSocket connects. The program keeps the defaults: names go to the system resolver,
// the remote port is dialled as set, waits end after 20 s. Tests send names and port 80 to their loopback
// server and shorten the time-out.
struct SocketSettings {
    std::chrono::milliseconds timeout{20000};
    // Empty: the system's resolver, which runs on a lookup thread. A resolver given here answers at once on the
    // caller's thread, unless lookupOnThread says it may take its time as the system's does.
    NameResolver resolveName;
    bool lookupOnThread = false;
    // The port actually dialled for a remote port.
    std::function<int(int remotePort)> dialPort;
};

// A SocketControl on a non-blocking IPv4 TCP socket. Every wait polls in slices of at most SliceLength:
// the name lookup, Connect and Send run the event pump between slices, Receive waits one slice and returns, so
// that its caller can run the pump. Abandon, called from the pump, ends the wait in progress after that slice. Reads
// from the kernel go into a large block, handed out in the sizes Receive asks for.
class PosixSocket final : public SocketControl {
public:
    static constexpr std::chrono::milliseconds SliceLength{50};

    // lookup: the name lookup the socket shares with the sockets before and after it; one of its own when null.
    PosixSocket(SocketEvents& events, EventPump pump, SocketSettings settings = {},
                std::shared_ptr<NameLookup> lookup = nullptr);
    ~PosixSocket() override;
    PosixSocket(const PosixSocket&) = delete;
    PosixSocket& operator=(const PosixSocket&) = delete;

    bool IsConnected() const override;
    bool SetHostAddress(const QByteArray& address) override;
    bool SetHostName(const QByteArray& name) override;
    void SetRemotePort(int port) override;
    int Connect() override;
    int Disconnect() override;
    int Send(const QByteArray& data) override;
    int Receive(QByteArray& buffer, int maxCount) override;
    bool IsFinished() const override;
    void Abandon() override;

private:
    enum class Wait { Ready, SliceOver, Expired };

    Wait waitFor(short events, const QDeadlineTimer& deadline);
    void fillBlock();
    int fail(int code, const QString& text);
    void raiseTimeout();
    void closeDescriptor();
    QDeadlineTimer freshDeadline() const;

    SocketEvents& m_events;
    EventPump m_pump;
    SocketSettings m_settings;
    std::shared_ptr<NameLookup> m_lookup;

    std::optional<quint32> m_address;
    int m_remotePort = 0;

    int m_fd = -1;
    bool m_connected = false;
    bool m_peerClosed = false;
    bool m_abandoned = false;         // until the next host is set
    QDeadlineTimer m_receiveDeadline; // no byte by then: Timeout

    std::vector<char> m_block;
    std::size_t m_blockStart = 0;
    std::size_t m_blockEnd = 0;
};

// Makes PosixSockets with the given settings, for SocketHost. They share one name lookup, so that a socket made
// after a reset finds the lookups given up on before it.
SocketFactory posixSocketFactory(EventPump pump, SocketSettings settings = {});
