#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

// Codes a socket reports with LastError. The request logic gives a meaning to HostNotFound only.
namespace SocketError {
constexpr int HostNotFound = 25001;   // the host name cannot be resolved
constexpr int InvalidAddress = 25002; // no usable host address or port
constexpr int NoSocket = 25003;       // the system gave no socket
constexpr int ConnectFailed = 25004;  // refused, unreachable, ...
constexpr int TimedOut = 25005;       // follows the Timeout event of the same wait
constexpr int SendFailed = 25006;
constexpr int ReceiveFailed = 25007; // the connection broke while reading (a reset, say)
constexpr int NotConnected = 25008;
constexpr int Abandoned = 25009; // the wait was ended by Abandon; raised as no LastError
} // namespace SocketError

// The events of one socket. They are delivered on the thread that uses the socket, from inside its calls; a
// handler must not call back into the socket that raised the event.
class SocketEvents {
public:
    // An operation failed. response is an answer the handler may give; sockets here set it to 0 and ignore it.
    virtual void LastError(int code, const QString& text, int& response) = 0;
    // A wait (connect, send, receive) ran longer than the time-out; raised before the LastError of that failure.
    virtual void Timeout() = 0;
    virtual void Read() = 0;  // data has arrived
    virtual void Timer() = 0; // the periodic tick, for sockets that have one

protected:
    ~SocketEvents() = default;
};

// One TCP client connection as the request logic drives it: settings, then Connect, Send, Receive until the
// server has closed, Disconnect. Results are int: 0 or a count for success, as each operation says.
class SocketControl {
public:
    virtual ~SocketControl() = default;

    // True exactly while a connection is open: from a successful Connect until Disconnect, Abandon or the
    // server's close.
    virtual bool IsConnected() const = 0;

    // Set the host to connect to. False when the host cannot be used; LastError has been raised then.
    // SetHostName resolves the name at once (HostNotFound when it cannot).
    virtual bool SetHostAddress(const QByteArray& address) = 0;
    virtual bool SetHostName(const QByteArray& name) = 0;
    virtual void SetRemotePort(int port) = 0;

    // Returns when the connection is open (0) or has failed (a SocketError code, raised as LastError), at the
    // latest at the time-out.
    virtual int Connect() = 0;
    // Closes the connection; harmless without one. Returns 0.
    virtual int Disconnect() = 0;
    // Writes all of data; its length, or -1 on failure.
    virtual int Send(const QByteArray& data) = 0;
    // Replaces buffer with at most maxCount received bytes and returns their count; 0 or less when nothing was
    // read. Waits a short while for data and raises Timeout when none has come for the whole time-out.
    virtual int Receive(QByteArray& buffer, int maxCount) = 0;
    // True once the server has closed the connection and every received byte has been handed out.
    virtual bool IsFinished() const = 0;
    // Stops whatever the socket does and closes it without waiting; never fails. Called from the event pump
    // during a wait (name lookup, Connect, Send), it ends that wait as a failure without raising LastError.
    virtual void Abandon() = 0;
};

// Makes the socket of a SocketHost, wired to the host's events. Never returns null.
using SocketFactory = std::function<std::unique_ptr<SocketControl>(SocketEvents& events)>;
