#include "net/httpfetcher.h"

#include "net/busypointer.h"
#include "net/responsehead.h"
#include "net/sockethost.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>

#include <algorithm>
#include <chrono>

namespace {

constexpr QByteArrayView defaultUserAgent = "Mozilla/4.0 (compatible; MSIE 4.01; Windows 95)";
constexpr int readSize = 256;
constexpr int maxAttempts = 2;
constexpr qsizetype keptBufferCapacity = 1024 * 1024;
constexpr std::chrono::milliseconds eventInterval{5};

// CR, LF or NUL would end the request line early and smuggle lines of their own into the request.
bool fitsOnRequestLine(QByteArrayView text)
{
    return std::none_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
}

bool isAllDigits(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

QByteArray requestText(QByteArrayView host, QByteArrayView path, QByteArrayView userAgent)
{
    QByteArray request;
    request.reserve(128 + host.size() + path.size() + userAgent.size());
    request.append("GET ").append(path).append(" HTTP/1.0\r\n");
    request.append("From: user@domain\r\n");
    request.append("Host: ").append(host).append("\r\n");
    request.append("User-Agent: ").append(userAgent).append("\r\n");
    request.append("Accept: */*\r\n");
    request.append("Accept: text/html\r\n");
    request.append("\r\n");
    return request;
}

} // namespace

HttpFetcher::HttpFetcher(SocketHost& controls, BusyPointer& busyPointer, EventPump pump, FetchLimits limits)
    : m_controls(controls)
    , m_busyPointer(busyPointer)
    , m_pump(std::move(pump))
    , m_limits(limits)
{
}

HttpResult HttpFetcher::HttpRequest(QByteArrayView host, QByteArrayView path)
{
    HttpResult result;
    result.failure.kind = FetchFailure::RequestRefused;
    // A call from inside the event pump of a running request would share its socket and flags.
    if (m_requestRunning)
        return result;
    if (m_userAgent.isEmpty())
        m_userAgent = defaultUserAgent.toByteArray();
    if (host.isEmpty() || !fitsOnRequestLine(host) || !fitsOnRequestLine(path))
        return result;
    const QByteArray request = requestText(host, path.isEmpty() ? "/" : path, m_userAgent);

    m_requestRunning = true;
    SetBusyCursor(true);
    if (runAttempts(host, request, result) == Ending::CloseDown)
        m_controls.Socket1().Disconnect();
    SetBusyCursor(false);
    m_requestRunning = false;
    if (result.succeeded)
        judgeResponse(result);
    return result;
}

void HttpFetcher::requestCancel()
{
    m_cancelRequested = true;
    if (m_requestRunning && m_controls.hasSocket())
        m_controls.Socket1().Abandon();
}

void HttpFetcher::SetBusyCursor(bool busy)
{
    m_busyCount += busy ? 1 : -1;
    m_busyPointer.setBusy(m_busyCount > 0);
}

// Connects, sends and reads, once more after a time-out or a connect failure that a fresh socket may cure.
// Returns how the request ends; result holds the outcome, and when the attempts run out, why the last one failed.
HttpFetcher::Ending HttpFetcher::runAttempts(QByteArrayView host, const QByteArray& request, HttpResult& result)
{
    const QByteArray hostText = host.toByteArray();
    const bool numericHost = isAllDigits(host);
    int attempt = 0;
    for (;;) {
        // A cancel that came during a failed connect or the reset after it is dropped here.
        const FetchFailure lastFailure = result.failure.kind;
        result = {};
        m_cancelRequested = false;
        m_controls.setSocketConnectFailed(false);
        if (++attempt > maxAttempts) {
            result.failure.kind = lastFailure;
            return Ending::CloseDown;
        }
        m_controls.setSocketTimedOut(false);

        SocketControl& socket = m_controls.Socket1();
        if (socket.IsConnected())
            socket.Disconnect();
        const bool hostTaken = numericHost ? socket.SetHostAddress(hostText) : socket.SetHostName(hostText);
        if (!hostTaken) {
            result.failure.kind = waitFailure(FetchFailure::HostNotFound);
            if (result.failure.kind == FetchFailure::TimedOut)
                result.failure.kind = FetchFailure::LookupTimedOut;
            return Ending::WithoutDisconnect;
        }

        socket.SetRemotePort(HttpPort);
        const int connectResult = socket.Connect();
        runEvents(m_pump);
        if (connectResult != 0 && m_controls.SocketConnectFailed()) {
            result.failure.kind = FetchFailure::ConnectFailed;
            m_controls.ResetSocket();
            m_controls.setSocketConnectFailed(false);
            continue;
        }
        // A connect time-out ends here too: its error came after the Timeout and left no failure flagged.
        if (!socket.IsConnected()) {
            result.failure.kind = waitFailure(FetchFailure::ConnectFailed);
            return Ending::CloseDown;
        }

        if (socket.Send(request) == -1) {
            result.failure.kind = waitFailure(FetchFailure::SendFailed);
            return Ending::CloseDown;
        }
        runEvents(m_pump);

        if (readResponse(socket, result) == ReadEnd::Over)
            return Ending::CloseDown;
        result.failure.kind = FetchFailure::TimedOut;
    }
}

FetchFailure HttpFetcher::waitFailure(FetchFailure otherwise) const
{
    if (m_cancelRequested)
        return FetchFailure::Cancelled;
    if (m_controls.SocketTimedOut())
        return FetchFailure::TimedOut;
    return otherwise;
}

// Collects the answer until the server closes, a cancel, a time-out (the socket's, since the last byte, or the
// attempt's deadline) or the size limit. Errors of the socket while reading steer nothing by themselves.
HttpFetcher::ReadEnd HttpFetcher::readResponse(SocketControl& socket, HttpResult& result)
{
    // The bytes gather in a buffer that keeps its memory from request to request; a page of the usual size
    // then costs no allocation but its copy.
    QByteArray& response = m_readBuffer;
    response.resize(0);
    const auto end = [&](FetchFailure failure, bool keepResponse) {
        if (keepResponse)
            result.response = QByteArray(response.constData(), response.size());
        result.succeeded = failure == FetchFailure::None;
        result.failure.kind = failure;
        if (response.capacity() > keptBufferCapacity)
            response = QByteArray();
        return ReadEnd::Over;
    };

    const QDeadlineTimer deadline(m_limits.attemptDeadline, Qt::PreciseTimer);
    QByteArray chunk;
    QElapsedTimer sinceEventsRan;
    sinceEventsRan.start();
    for (;;) {
        if (socket.IsFinished()) {
            // The socket raises LastError for a connection that broke while reading (a reset), which leaves
            // SocketConnectFailed set: what came before the break is not a whole page. Nor is nothing at all.
            if (m_controls.SocketConnectFailed())
                return end(FetchFailure::ConnectionBroken, false);
            if (response.isEmpty())
                return end(FetchFailure::NoAnswer, false);
            return end(FetchFailure::None, true);
        }
        const int count = socket.Receive(chunk, readSize);
        if (count > 0) {
            const QByteArrayView bytes = QByteArrayView(chunk).first(std::min<qsizetype>(count, chunk.size()));
            if (response.size() + bytes.size() > MaxResponseSize) {
                response = QByteArray();
                return end(FetchFailure::TooLarge, false);
            }
            response.append(bytes);
        }
        if (m_cancelRequested)
            return end(FetchFailure::Cancelled, true);
        if (m_controls.SocketTimedOut())
            return ReadEnd::TimedOut;
        // Events run after every pass that waited for data, and every few milliseconds while data streams in:
        // the user sees no difference, and a page no longer costs one round of the event loop per 256 bytes.
        if (count <= 0 || sinceEventsRan.hasExpired(eventInterval.count())) {
            // A server that sends a byte now and then puts the socket's time-out off for ever; not the deadline.
            if (deadline.hasExpired())
                return ReadEnd::TimedOut;
            runEvents(m_pump);
            sinceEventsRan.start();
        }
    }
}

// A whole response may still be no page: an error the server answered, or a body cut short on the way.
void HttpFetcher::judgeResponse(HttpResult& result)
{
    const ResponseHead head = readResponseHead(result.response);
    FailureDetail& failure = result.failure;
    if (head.hasStatus() && !head.statusIsSuccess()) {
        failure.kind = FetchFailure::ErrorStatus;
        failure.status = head.status;
        failure.statusText = head.statusText;
    } else if (head.bodyIsShort()) {
        failure.kind = FetchFailure::ShortBody;
        failure.contentLength = *head.contentLength;
        failure.bodyLength = head.bodyLength;
    }
    if (failure.kind != FetchFailure::None) {
        result.succeeded = false;
        result.response.clear();
    }
}
