#include "support/httptestserver.h"

#include <QFile>
#include <QLocale>
#include <QtEndian>

#include <algorithm>
#include <cerrno>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr QByteArrayView endOfRequest = "\r\n\r\n";

// The target of "GET <target> HTTP/1.0".
QByteArray requestPath(const QByteArray& request)
{
    const qsizetype lineEnd = request.indexOf("\r\n");
    const QList<QByteArray> words = request.left(lineEnd).split(' ');
    return words.size() >= 2 ? words.at(1) : QByteArray();
}

} // namespace

QByteArray httpPage(QByteArrayView body, QByteArrayView status)
{
    QByteArray page;
    page.append("HTTP/1.0 ").append(status).append("\r\nContent-Type: text/html\r\n\r\n").append(body);
    return page;
}

QList<QByteArray> linkQueries(const QByteArray& domain)
{
    return {"/search?cat=web&lang=any&query=link.all%3A" + domain,
            "/sites/search/web?q=link%3A" + domain + "+-url%3A" + domain, "/search?as_lq=" + domain,
            "/?query=linkdomain%3A" + domain + "+-domain%3A" + domain,
            "/results.asp?q=linkdomain%3A" + domain + "+-domain%3A" + domain};
}

QByteArray resultPage(int engine, const QByteArray& count)
{
    static constexpr const char* files[] = {"alltheweb", "altavista", "google", "hotbot", "msn"};
    QFile file(QStringLiteral(BRENLOW_TEST_DATA_DIR "/pages/%1.html").arg(QLatin1StringView(files[engine])));
    return file.open(QIODevice::ReadOnly) ? httpPage(file.readAll().replace("{count}", count)) : QByteArray();
}

void HttpTestServer::serveDomain(const QByteArray& domain, const Counts& counts)
{
    const QList<QByteArray> queries = linkQueries(domain);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    for (int engine = 0; engine < 5; ++engine)
        answer(queries[engine], ServerReply::page(resultPage(engine, english.toString(counts[engine]).toLatin1())));
}

SocketSettings HttpTestServer::settings(std::chrono::milliseconds timeout) const
{
    SocketSettings settings;
    settings.timeout = timeout;
    settings.resolveName = [](const QByteArray&) { return std::optional<quint32>(0x7f000001); };
    settings.dialPort = [port = m_port](int) { return port; };
    return settings;
}

struct HttpTestServer::Connection {
    enum class Phase { Reading, Writing, Stalled };

    int socket = -1;
    Phase phase = Phase::Reading;
    QByteArray received;
    ServerReply reply;
    qsizetype written = 0;
};

HttpTestServer::HttpTestServer()
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    m_wakeUp = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = qToBigEndian(quint32(INADDR_LOOPBACK));
    socklen_t length = sizeof address;
    if (m_listener < 0 || m_wakeUp < 0 || ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(m_listener, 64) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (m_listener >= 0)
            ::close(m_listener);
        m_listener = -1;
        return;
    }
    m_port = qFromBigEndian(address.sin_port);
    m_thread = std::thread([this] { serve(); });
}

HttpTestServer::~HttpTestServer()
{
    if (m_thread.joinable()) {
        const quint64 one = 1;
        [[maybe_unused]] const auto written = ::write(m_wakeUp, &one, sizeof one);
        m_thread.join();
    }
    if (m_listener >= 0)
        ::close(m_listener);
    if (m_wakeUp >= 0)
        ::close(m_wakeUp);
}

void HttpTestServer::answer(const QByteArray& path, const QList<ServerReply>& replies)
{
    const std::lock_guard lock(m_mutex);
    m_replies[path] = replies;
}

int HttpTestServer::requestCount() const
{
    const std::lock_guard lock(m_mutex);
    return int(m_requests.size());
}

int HttpTestServer::requestCount(const QByteArray& path) const
{
    const std::lock_guard lock(m_mutex);
    const auto served = m_served.find(path);
    return served == m_served.end() ? 0 : served->second;
}

QByteArray HttpTestServer::lastRequest() const
{
    const std::lock_guard lock(m_mutex);
    return m_requests.isEmpty() ? QByteArray() : m_requests.last();
}

QList<QByteArray> HttpTestServer::requests() const
{
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

void HttpTestServer::serve()
{
    std::vector<Connection> connections;
    std::vector<pollfd> watched;
    for (;;) {
        watched.assign({{m_wakeUp, POLLIN, 0}, {m_listener, POLLIN, 0}});
        for (const Connection& connection : connections) {
            const bool writing = connection.phase == Connection::Phase::Writing;
            watched.push_back({connection.socket, short(writing ? POLLOUT : POLLIN), 0});
        }
        if (::poll(watched.data(), watched.size(), -1) < 0 && errno != EINTR)
            break;
        if (watched[0].revents != 0)
            break;

        // Connections accepted below are served from the next pass on.
        for (std::size_t i = connections.size(); i-- > 0;) {
            if (watched[i + 2].revents != 0 && !advance(connections[i])) {
                ::close(connections[i].socket);
                connections.erase(connections.begin() + qsizetype(i));
            }
        }
        if (watched[1].revents != 0)
            accept(connections);
    }
    for (const Connection& connection : connections)
        ::close(connection.socket);
}

void HttpTestServer::accept(std::vector<Connection>& connections)
{
    for (;;) {
        const int socket = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (socket < 0)
            return;
        // Small writes leave at once.
        const int on = 1;
        ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        Connection connection;
        connection.socket = socket;
        connections.push_back(std::move(connection));
    }
}

bool HttpTestServer::advance(Connection& connection)
{
    switch (connection.phase) {
    case Connection::Phase::Reading:
        return readRequest(connection) && (connection.phase == Connection::Phase::Reading || write(connection));
    case Connection::Phase::Writing:
        return write(connection);
    case Connection::Phase::Stalled: {
        char discard[4096];
        const ssize_t received = ::recv(connection.socket, discard, sizeof discard, 0);
        return received > 0 || (received < 0 && (errno == EAGAIN || errno == EINTR));
    }
    }
    return false;
}

// Reads what has come; once the empty line is there, records the request and picks the reply.
bool HttpTestServer::readRequest(Connection& connection)
{
    char buffer[4096];
    const ssize_t received = ::recv(connection.socket, buffer, sizeof buffer, 0);
    if (received < 0)
        return errno == EAGAIN || errno == EINTR;
    if (received == 0)
        return false;
    connection.received.append(buffer, received);
    const qsizetype end = connection.received.indexOf(endOfRequest);
    if (end < 0)
        return true;
    connection.reply = replyFor(connection.received.left(end + endOfRequest.size()));
    connection.phase = Connection::Phase::Writing;
    return true;
}

// Writes as much as the socket takes, then ends the reply as scripted. False when the connection is over.
bool HttpTestServer::write(Connection& connection)
{
    const QByteArray& bytes = connection.reply.bytes;
    while (connection.written < bytes.size()) {
        const ssize_t sent = ::send(connection.socket, bytes.constData() + connection.written,
                                    std::size_t(bytes.size() - connection.written), MSG_NOSIGNAL);
        if (sent < 0)
            return errno == EAGAIN || errno == EINTR;
        connection.written += sent;
    }
    connection.phase = Connection::Phase::Stalled;
    if (connection.reply.resets) {
        // A close that lingers for no time sends a reset.
        const linger now{1, 0};
        ::setsockopt(connection.socket, SOL_SOCKET, SO_LINGER, &now, sizeof now);
    }
    return !connection.reply.closes;
}

ServerReply HttpTestServer::replyFor(const QByteArray& request)
{
    const std::lock_guard lock(m_mutex);
    m_requests.append(request);
    const QByteArray path = requestPath(request);
    const int served = ++m_served[path];
    const auto replies = m_replies.find(path);
    if (replies == m_replies.end() || replies->second.isEmpty())
        return ServerReply::page(httpPage("<html>Not here</html>", "404 Not Found"));
    return replies->second.at(std::min<qsizetype>(served, replies->second.size()) - 1);
}
