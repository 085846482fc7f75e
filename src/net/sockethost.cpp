#include "net/sockethost.h"

SocketHost::SocketHost(SocketFactory factory, EventPump pump)
    : m_factory(std::move(factory))
    , m_pump(std::move(pump))
{
}

SocketHost::~SocketHost() = default;

SocketControl& SocketHost::Socket1()
{
    if (!m_socket)
        m_socket = m_factory(*this);
    return *m_socket;
}

void SocketHost::Socket1_LastError(int code, const QString& /*text*/, int& /*response*/)
{
    // An unknown host ends the request by itself, and after a time-out the error only repeats the time-out;
    // anything else is a failed connect that a fresh socket may cure.
    if (code == SocketError::HostNotFound || m_socketTimedOut)
        return;
    m_socketConnectFailed = true;
}

void SocketHost::Socket1_Timeout()
{
    m_socketTimedOut = true;
}

void SocketHost::ResetSocket()
{
    if (m_socket)
        m_socket->Abandon();
    m_socket.reset();
    runEvents(m_pump);
    m_socket = m_factory(*this);
}
