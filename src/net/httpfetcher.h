#pragma once

#include "net/eventpump.h"

#include <QByteArray>
#include <QByteArrayView>

class BusyPointer;
class SocketControl;
class SocketHost;

struct HttpResult {
    QByteArray response; // the bytes as received: status line, headers, body
    bool succeeded = false;
};

// Fetches one page with HTTP/1.0 through the socket of a SocketHost, one request at a time, keeping the user
// interface live while it waits. It owns the cancel flag that the update run and the Cancel button share, and
// the busy count behind the wait pointer. Not re-entrant: a call made while another runs fails at once.
class HttpFetcher {
public:
    // Above this many bytes a response ends the fetch as a failure.
    static constexpr qsizetype MaxResponseSize = 16 * 1024 * 1024;
    static constexpr int HttpPort = 80;

    HttpFetcher(SocketHost& controls, BusyPointer& busyPointer, EventPump pump);

    // GET path from host, port 80. succeeded is true only when the server closed the connection normally after
    // at least one byte (or a second status line cut the page short); otherwise response is empty, or partial
    // after a cancel. A connection reset while reading fails. An
    // empty host, or a host or path holding CR, LF or NUL, fails at once with nothing touched.
    HttpResult HttpRequest(QByteArrayView host, QByteArrayView path);

    // Raises (true) or lowers (false) the wait pointer; nested raises keep it until the last lowering.
    void SetBusyCursor(bool busy);
    int BusyCount() const { return m_busyCount; }

    // Empty until the first request.
    const QByteArray& UserAgent() const { return m_userAgent; }

    // Set by Cancel; a request polls it while reading and leaves it set when it stopped because of it. Each
    // attempt of a request clears it as it starts. A Cancel during a request also abandons the socket's wait,
    // so that a name lookup or a connect that gets no answer ends within one slice.
    bool cancelRequested() const { return m_cancelRequested; }
    void requestCancel();
    void clearCancelRequest() { m_cancelRequested = false; }

private:
    enum class Ending { CloseDown, WithoutDisconnect };
    enum class ReadEnd { Over, TimedOut };

    Ending runAttempts(QByteArrayView host, const QByteArray& request, HttpResult& result);
    ReadEnd readResponse(SocketControl& socket, HttpResult& result);

    SocketHost& m_controls;
    BusyPointer& m_busyPointer;
    EventPump m_pump;
    QByteArray m_userAgent;
    QByteArray m_readBuffer;
    int m_busyCount = 0;
    bool m_cancelRequested = false;
    bool m_requestRunning = false;
};
