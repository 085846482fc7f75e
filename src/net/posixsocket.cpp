#include "net/posixsocket.h"

#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Large enough that a page arrives in a few system calls.
constexpr std::size_t blockSize = 64 * 1024;

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A decimal number of at most 32 bits, the way a host made only of digits names an IPv4 address.
std::optional<quint32> parseDecimalAddress(const QByteArray& text)
{
    if (text.isEmpty() || text.size() > 10)
        return std::nullopt;
    quint64 value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + quint64(c - '0');
    }
    if (value > 0xffffffffu)
        return std::nullopt;
    return quint32(value);
}

std::optional<quint32> systemResolve(const QByteArray& name)
{
    if (name.isEmpty() || name.contains('\0'))
        return std::nullopt;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name.constData(), nullptr, &hints, &found) != 0 || found == nullptr)
        return std::nullopt;
    sockaddr_in address{};
    std::memcpy(&address, found->ai_addr, sizeof address);
    ::freeaddrinfo(found);
    return qFromBigEndian(quint32(address.sin_addr.s_addr));
}

} // namespace

namespace {

std::shared_ptr<NameLookup> makeLookup(const SocketSettings& settings)
{
    return std::make_shared<NameLookup>(settings.resolveName ? settings.resolveName : NameResolver(systemResolve));
}

} // namespace

PosixSocket::PosixSocket(SocketEvents& events, EventPump pump, SocketSettings settings,
                         std::shared_ptr<NameLookup> lookup)
    : m_events(events)
    , m_pump(std::move(pump))
    , m_settings(std::move(settings))
    , m_lookup(lookup ? std::move(lookup) : makeLookup(m_settings))
    , m_block(blockSize)
{
}

PosixSocket::~PosixSocket()
{
    closeDescriptor();
}

bool PosixSocket::IsConnected() const
{
    return m_connected && !m_peerClosed;
}

bool PosixSocket::SetHostAddress(const QByteArray& address)
{
    m_abandoned = false;
    m_address = parseDecimalAddress(address);
    if (!m_address) {
        in_addr dotted{};
        if (!address.contains('\0') && ::inet_pton(AF_INET, address.constData(), &dotted) == 1)
            m_address = qFromBigEndian(quint32(dotted.s_addr));
    }
    if (!m_address) {
        fail(SocketError::InvalidAddress, QStringLiteral("Not a numeric IPv4 address"));
        return false;
    }
    return true;
}

bool PosixSocket::SetHostName(const QByteArray& name)
{
    m_abandoned = false;
    NameLookup::End end = NameLookup::End::Answered;
    if (m_settings.resolveName && !m_settings.lookupOnThread)
        m_address = m_settings.resolveName(name);
    else
        m_address = m_lookup->resolve(name, m_pump, freshDeadline(), m_abandoned, int(SliceLength.count()), end);
    if (m_address)
        return true;
    if (end == NameLookup::End::TimedOut) {
        raiseTimeout();
        fail(SocketError::TimedOut, QStringLiteral("The name lookup timed out"));
    } else if (end == NameLookup::End::Answered) {
        fail(SocketError::HostNotFound, QStringLiteral("Host not found"));
    }
    return false;
}

void PosixSocket::SetRemotePort(int port)
{
    m_remotePort = port;
}

int PosixSocket::Connect()
{
    closeDescriptor();
    const int port = m_settings.dialPort ? m_settings.dialPort(m_remotePort) : m_remotePort;
    if (!m_address || port < 1 || port > 65535)
        return fail(SocketError::InvalidAddress, QStringLiteral("No host address or port"));

    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        return fail(SocketError::NoSocket, errnoText(errno));

    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = qToBigEndian(quint16(port));
    peer.sin_addr.s_addr = qToBigEndian(*m_address);
    if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0 && errno != EINPROGRESS) {
        const int error = errno;
        closeDescriptor();
        return fail(SocketError::ConnectFailed, errnoText(error));
    }

    const QDeadlineTimer deadline = freshDeadline();
    for (;;) {
        const Wait wait = waitFor(POLLOUT, deadline);
        if (wait == Wait::Ready)
            break;
        if (wait == Wait::Expired) {
            closeDescriptor();
            raiseTimeout();
            return fail(SocketError::TimedOut, QStringLiteral("Connection timed out"));
        }
        runEvents(m_pump);
        if (m_abandoned)
            return SocketError::Abandoned; // no LastError: nothing failed that a fresh socket could cure
    }

    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        error = errno;
    if (error != 0) {
        closeDescriptor();
        return fail(SocketError::ConnectFailed, errnoText(error));
    }
    m_connected = true;
    m_receiveDeadline = freshDeadline();
    return 0;
}

int PosixSocket::Disconnect()
{
    closeDescriptor();
    return 0;
}

int PosixSocket::Send(const QByteArray& data)
{
    if (!IsConnected()) {
        fail(SocketError::NotConnected, QStringLiteral("Not connected"));
        return -1;
    }
    qsizetype sent = 0;
    QDeadlineTimer deadline = freshDeadline();
    while (sent < data.size()) {
        const ssize_t written =
            ::send(m_fd, data.constData() + sent, std::size_t(data.size() - sent), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (written > 0) {
            sent += written;
            deadline = freshDeadline();
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const Wait wait = waitFor(POLLOUT, deadline);
            if (wait == Wait::Expired) {
                raiseTimeout();
                fail(SocketError::TimedOut, QStringLiteral("Send timed out"));
                return -1;
            }
            if (wait == Wait::SliceOver)
                runEvents(m_pump);
            if (m_abandoned)
                return -1;
            continue;
        }
        fail(SocketError::SendFailed, errnoText(written < 0 ? errno : EPIPE));
        return -1;
    }
    // The time-out for the answer counts from here.
    m_receiveDeadline = freshDeadline();
    return int(std::min<qsizetype>(sent, std::numeric_limits<int>::max()));
}

int PosixSocket::Receive(QByteArray& buffer, int maxCount)
{
    if (m_blockStart == m_blockEnd)
        fillBlock();
    if (m_blockStart == m_blockEnd || maxCount <= 0) {
        buffer.clear();
        return m_connected ? 0 : -1;
    }
    const std::size_t count = std::min(m_blockEnd - m_blockStart, std::size_t(maxCount));
    buffer.resize(qsizetype(count));
    std::memcpy(buffer.data(), m_block.data() + m_blockStart, count);
    m_blockStart += count;
    return int(count);
}

bool PosixSocket::IsFinished() const
{
    return m_connected && m_peerClosed && m_blockStart == m_blockEnd;
}

void PosixSocket::Abandon()
{
    m_abandoned = true;
    closeDescriptor();
}

// Waits one slice at most for the events on the descriptor; Expired only when the deadline has passed.
PosixSocket::Wait PosixSocket::waitFor(short events, const QDeadlineTimer& deadline)
{
    const qint64 remaining = deadline.remainingTime();
    if (remaining == 0)
        return Wait::Expired;
    const auto slice = remaining < 0 ? SliceLength.count() : std::min<qint64>(remaining, SliceLength.count());
    pollfd descriptor{m_fd, events, 0};
    const int ready = ::poll(&descriptor, 1, int(slice));
    if (ready > 0)
        return Wait::Ready;
    return deadline.hasExpired() ? Wait::Expired : Wait::SliceOver;
}

// Waits one slice for bytes from the kernel; notes the server's close and a broken connection, and raises
// Timeout once no byte has come for the whole time-out.
void PosixSocket::fillBlock()
{
    if (!m_connected || m_peerClosed)
        return;
    m_blockStart = m_blockEnd = 0;
    const Wait wait = waitFor(POLLIN, m_receiveDeadline);
    if (wait == Wait::Expired) {
        raiseTimeout();
        m_receiveDeadline = freshDeadline();
        return;
    }
    if (wait == Wait::SliceOver)
        return;

    ssize_t received = 0;
    do
        received = ::recv(m_fd, m_block.data(), m_block.size(), MSG_DONTWAIT);
    while (received < 0 && errno == EINTR);

    if (received > 0) {
        m_blockEnd = std::size_t(received);
        m_receiveDeadline = freshDeadline();
        m_events.Read();
    } else if (received == 0) {
        m_peerClosed = true;
    } else if (errno != EAGAIN && errno != EWOULDBLOCK) {
        // A broken connection is over as well; what came before it stays readable.
        m_peerClosed = true;
        fail(SocketError::ReceiveFailed, errnoText(errno));
    }
}

int PosixSocket::fail(int code, const QString& text)
{
    int response = 0;
    m_events.LastError(code, text, response);
    return code;
}

void PosixSocket::raiseTimeout()
{
    m_events.Timeout();
}

void PosixSocket::closeDescriptor()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_connected = false;
    m_peerClosed = false;
    m_blockStart = m_blockEnd = 0;
}

QDeadlineTimer PosixSocket::freshDeadline() const
{
    return QDeadlineTimer(m_settings.timeout, Qt::PreciseTimer);
}

SocketFactory posixSocketFactory(EventPump pump, SocketSettings settings)
{
    std::shared_ptr<NameLookup> lookup = makeLookup(settings);
    return [pump = std::move(pump), settings = std::move(settings), lookup](SocketEvents& events) {
        return std::unique_ptr<SocketControl>(std::make_unique<PosixSocket>(events, pump, settings, lookup));
    };
}
