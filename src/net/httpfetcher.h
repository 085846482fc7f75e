#pragma once

#include "net/eventpump.h"
#include "values/fetchfailure.h"

#include <QByteArray>
#include <QByteArrayView>

#include <chrono>

class BusyPointer;
class SocketControl;
class SocketHost;

struct HttpResult {
    QByteArray response; // the bytes as received: status line, headers, body
    bool succeeded = false;
    FailureDetail failure; // why it did not succeed
};

// How long one attempt of a fetch may take in all, from its request sent to the end of its response. The
// socket's own time-out (since the last byte) goes on beside it.
struct FetchLimits {
    std::chrono::milliseconds attemptDeadline{60000};
};

// Fetches one page with HTTP/1.0 through the socket of a SocketHost, one request at a time, keeping the user
// interface live while it waits. It owns the cancel flag that the update run and the Cancel button share, and
// the busy count behind the wait pointer. Not re-entrant: a call made while another runs fails at once.
class HttpFetcher {
public:
    // Above this many bytes a response ends the fetch as a failure.
    static constexpr qsizetype MaxResponseSize = 16 * 1024 * 1024;
    static constexpr int HttpPort = 80;

    HttpFetcher(SocketHost& controls, BusyPointer& busyPointer, EventPump pump, FetchLimits limits = {});

    // GET path from host, port 80. The response is everything the server sends until it closes the connection.
    // succeeded is true only when the server closed it normally after at least one byte, and the response is no
    // error (a status line with a status outside 200 to 299) and not cut short of its Content-Length; otherwise
    // failure says why and response is empty, or partial after a cancel. An empty host, or a host or path holding
    // CR, LF or NUL, fails at once with nothing touched.
    HttpResult HttpRequest(QByteArrayView host, QByteArrayView path);

    // Raises (true) or lowers (false) the wait pointer; nested raises keep it until the last lowering.
    void SetBusyCursor(bool busy);
    int BusyCount() const { return m_busyCount; }

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
    // Why a wait of the socket (name lookup, connect, send) failed, from what its events left behind.
    FetchFailure waitFailure(FetchFailure otherwise) const;
    ReadEnd readResponse(SocketControl& socket, HttpResult& result);
    static void judgeResponse(HttpResult& result);

    SocketHost& m_controls;
    BusyPointer& m_busyPointer;
    EventPump m_pump;
    FetchLimits m_limits;
    QByteArray m_userAgent;
    QByteArray m_readBuffer;
    int m_busyCount = 0;
    bool m_cancelRequested = false;
    bool m_requestRunning = false;
};
