#include "support/loopbackports.h"

#include <QtEndian>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

sockaddr_in loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = qToBigEndian(quint16(port));
    address.sin_addr.s_addr = qToBigEndian(quint32(INADDR_LOOPBACK));
    return address;
}

// Binds a fresh TCP socket to a free loopback port; -1 when that fails.
int bindFreePort(int& port)
{
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    if (socket < 0 || ::bind(socket, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (socket >= 0)
            ::close(socket);
        return -1;
    }
    port = qFromBigEndian(address.sin_port);
    return socket;
}

} // namespace

ClosedPort::ClosedPort()
{
    m_socket = bindFreePort(m_port);
}

ClosedPort::~ClosedPort()
{
    if (m_socket >= 0)
        ::close(m_socket);
}

FullListener::FullListener()
{
    m_listener = bindFreePort(m_port);
    // A backlog of 0 holds one connection; the filler takes it and the queue stays full.
    if (m_listener < 0 || ::listen(m_listener, 0) != 0)
        return;
    m_filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = loopback(m_port);
    if (m_filler >= 0 && ::connect(m_filler, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(m_filler);
        m_filler = -1;
    }
}

FullListener::~FullListener()
{
    if (m_filler >= 0)
        ::close(m_filler);
    if (m_listener >= 0)
        ::close(m_listener);
}
