#include "support/httptestserver.h"

#include <QFile>
#include <QLocale>
#include <QtEndian>

#include <algorithm>

#include <netinet/in.h>
#include <netinet/tcp.h>
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

// The first byte a "Range: bytes=N-" header of the request asks for; 0 without one.
qint64 rangeStart(const QByteArray& request)
{
    const qsizetype header = request.indexOf("\r\nRange: bytes=");
    if (header < 0)
        return 0;
    const qsizetype start = header + qsizetype(sizeof "\r\nRange: bytes=") - 1;
    return request.mid(start, request.indexOf('-', start) - start).toLongLong();
}

// The answer a file server gives to the request: the part asked for, or the whole.
ServerReply fileAnswer(const ServerReply& file, const QByteArray& request)
{
    const qint64 size = file.bytes.size();
    const qint64 start = file.honoursRange ? std::min(rangeStart(request), size) : 0;
    QByteArray head = start > 0 ? "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + QByteArray::number(start) +
                                      '-' + QByteArray::number(size - 1) + '/' + QByteArray::number(size) + "\r\n"
                                : QByteArray("HTTP/1.1 200 OK\r\n");
    head += "Content-Type: application/octet-stream\r\nContent-Length: " + QByteArray::number(size - start) +
            "\r\nConnection: close\r\n\r\n";
    const auto cut = std::find_if(file.breaks.begin(), file.breaks.end(), [start](qint64 at) { return at > start; });
    ServerReply answer = file;
    // A close, not a reset, so that every byte sent arrives before the break.
    answer.bytes = head + file.bytes.mid(start, cut != file.breaks.end() ? *cut - start : -1);
    return answer;
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

HttpTestServer::HttpTestServer()
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = qToBigEndian(quint32(INADDR_LOOPBACK));
    socklen_t length = sizeof address;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(m_listener, 64) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (m_listener >= 0)
            ::close(m_listener);
        m_listener = -1;
        return;
    }
    m_port = qFromBigEndian(address.sin_port);
    m_acceptor = std::thread([this] { acceptConnections(); });
}

HttpTestServer::~HttpTestServer()
{
    if (!m_acceptor.joinable())
        return;
    {
        // Every wait of the server ends: accept, and the reads of connections kept open.
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        ::shutdown(m_listener, SHUT_RDWR);
        for (const int socket : m_open)
            ::shutdown(socket, SHUT_RDWR);
    }
    m_acceptor.join();
    std::unique_lock lock(m_mutex);
    m_served.wait(lock, [this] { return m_open.empty(); });
    ::close(m_listener);
}

void HttpTestServer::acceptConnections()
{
    for (;;) {
        const int socket = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        const std::lock_guard lock(m_mutex);
        if (m_stopping) {
            if (socket >= 0)
                ::close(socket);
            return;
        }
        if (socket < 0)
            continue;
        // Small writes leave at once.
        const int on = 1;
        ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        m_open.push_back(socket);
        std::thread([this, socket] { serve(socket); }).detach();
    }
}

// Reads the request, writes the reply as scripted and ends the connection as the reply says.
void HttpTestServer::serve(int socket)
{
    QByteArray request;
    char buffer[4096];
    ssize_t received = 0;
    while (!request.contains(endOfRequest) && (received = ::recv(socket, buffer, sizeof buffer, 0)) > 0)
        request.append(buffer, received);
    if (request.contains(endOfRequest)) {
        const ServerReply reply = replyFor(request.left(request.indexOf(endOfRequest) + endOfRequest.size()));
        const qsizetype piece = (reply.bytes.size() + reply.pieces - 1) / std::max(reply.pieces, 1);
        for (qsizetype sent = 0; sent < reply.bytes.size(); sent += piece) {
            if (sent > 0)
                std::this_thread::sleep_for(reply.pause); // the server's own pace
            const QByteArray part = reply.bytes.mid(sent, piece);
            if (::send(socket, part.constData(), std::size_t(part.size()), MSG_NOSIGNAL) != part.size())
                break;
        }
        if (reply.resets) {
            // A close that lingers for no time sends a reset.
            const linger now{1, 0};
            ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &now, sizeof now);
        }
        while (!reply.closes && ::recv(socket, buffer, sizeof buffer, 0) > 0) {
        }
    }
    const std::lock_guard lock(m_mutex);
    m_open.erase(std::find(m_open.begin(), m_open.end(), socket));
    ::close(socket);
    m_served.notify_all();
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
    const auto served = m_requestsPerPath.find(path);
    return served == m_requestsPerPath.end() ? 0 : served->second;
}

QList<QByteArray> HttpTestServer::requests() const
{
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

ServerReply HttpTestServer::replyFor(const QByteArray& request)
{
    const std::lock_guard lock(m_mutex);
    m_requests.append(request);
    const QByteArray path = requestPath(request);
    const int served = ++m_requestsPerPath[path];
    const auto replies = m_replies.find(path);
    if (replies == m_replies.end() || replies->second.isEmpty())
        return ServerReply::page(httpPage("<html>Not here</html>", "404 Not Found"));
    const ServerReply& reply = replies->second.at(std::min<qsizetype>(served, replies->second.size()) - 1);
    return reply.isFile ? fileAnswer(reply, request) : reply;
}
