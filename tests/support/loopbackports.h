#pragma once

// Loopback ports that misbehave in ways a server cannot script.

// A port on 127.0.0.1 where nothing listens, so a connect is refused. The port stays bound while the object
// lives, so nothing else takes it meanwhile.
class ClosedPort {
public:
    ClosedPort();
    ~ClosedPort();
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;

    int port() const { return m_port; }

private:
    int m_socket = -1;
    int m_port = 0;
};

// A listener on 127.0.0.1 whose backlog is already full and which never accepts, so the kernel drops every new
// connection attempt and a connect waits until its time-out.
class FullListener {
public:
    FullListener();
    ~FullListener();
    FullListener(const FullListener&) = delete;
    FullListener& operator=(const FullListener&) = delete;

    bool isReady() const { return m_filler >= 0; }
    int port() const { return m_port; }

private:
    int m_listener = -1;
    int m_filler = -1;
    int m_port = 0;
};
