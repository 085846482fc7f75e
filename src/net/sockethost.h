#pragma once

#include "net/eventpump.h"
#include "net/socketcontrol.h"

#include <memory>

// The hidden host of the program's one socket, Socket1: it makes the socket on first use, turns the socket's
// events into the two flags the request logic reads, and replaces the socket on request. The flags keep their
// value until someone clears them.
class SocketHost : private SocketEvents {
public:
    // factory makes every Socket1, the first one and each after a reset; pump lets events run during a reset.
    SocketHost(SocketFactory factory, EventPump pump);
    ~SocketHost();
    SocketHost(const SocketHost&) = delete;
    SocketHost& operator=(const SocketHost&) = delete;

    SocketControl& Socket1();
    bool hasSocket() const { return m_socket != nullptr; }

    bool SocketTimedOut() const { return m_socketTimedOut; }
    void setSocketTimedOut(bool value) { m_socketTimedOut = value; }
    bool SocketConnectFailed() const { return m_socketConnectFailed; }
    void setSocketConnectFailed(bool value) { m_socketConnectFailed = value; }

    // The event handlers. They only set flags and never call the socket.
    void Socket1_LastError(int code, const QString& text, int& response);
    void Socket1_Timeout();
    void Socket1_Read() {}
    void Socket1_Timer() {}

    // Throws Socket1 away (abandoned, destroyed), lets events run once and makes a fresh, unconnected one with
    // the initial settings.
    void ResetSocket();

private:
    void LastError(int code, const QString& text, int& response) override { Socket1_LastError(code, text, response); }
    void Timeout() override { Socket1_Timeout(); }
    void Read() override { Socket1_Read(); }
    void Timer() override { Socket1_Timer(); }

    SocketFactory m_factory;
    EventPump m_pump;
    std::unique_ptr<SocketControl> m_socket;
    bool m_socketTimedOut = false;
    bool m_socketConnectFailed = false;
};
