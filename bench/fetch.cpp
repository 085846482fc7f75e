// HttpRequest against a loopback server: 500 sequential fetches of a 64 KiB page beside the same fetches by a
// plain blocking client, and how long a request takes to end after Cancel while it waits for data, and while
// its connect gets no answer.

#include "benchsupport.h"
#include "net/busypointer.h"
#include "net/httpfetcher.h"
#include "net/posixsocket.h"
#include "net/sockethost.h"
#include "support/httptestserver.h"
#include "support/loopbackports.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int fetches = 500;
constexpr qsizetype pageSize = 64 * 1024;

class NoPointer : public BusyPointer {
public:
    void setBusy(bool) override {}
};

// Connect, send, recv into a 64 KiB buffer until the server closes; the bytes received, -1 on failure.
qsizetype blockingFetch(int port, const QByteArray& request)
{
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = qToBigEndian(quint16(port));
    address.sin_addr.s_addr = qToBigEndian(quint32(INADDR_LOOPBACK));
    qsizetype total = -1;
    if (socket >= 0 && ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        ::send(socket, request.constData(), std::size_t(request.size()), MSG_NOSIGNAL) == request.size()) {
        static char buffer[64 * 1024];
        total = 0;
        ssize_t received = 0;
        while ((received = ::recv(socket, buffer, sizeof buffer, 0)) > 0)
            total += received;
        if (received < 0)
            total = -1;
    }
    if (socket >= 0)
        ::close(socket);
    return total;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    HttpTestServer server;
    if (!server.isListening()) {
        std::fprintf(stderr, "cannot listen on loopback\n");
        return 1;
    }
    const QByteArray head = httpPage("");
    const QByteArray page = head + QByteArray(pageSize - head.size(), 'x');
    server.answer("/page", ServerReply::page(page));
    server.answer("/stall", ServerReply::silence());

    // Waits let events run as in the program; the cancel measurement adds its own step.
    std::function<void()> duringWaits;
    const EventPump pump = [&] {
        QCoreApplication::processEvents();
        if (duringWaits)
            duringWaits();
    };
    int port = server.port();
    SocketSettings settings;
    settings.resolveName = [](const QByteArray&) { return std::optional<quint32>(0x7f000001); };
    settings.dialPort = [&](int) { return port; };
    SocketHost controls(posixSocketFactory(pump, settings), pump);
    NoPointer pointer;
    HttpFetcher fetcher(controls, pointer, pump);

    const QByteArray request = "GET /page HTTP/1.0\r\nFrom: user@domain\r\nHost: bench.example.com\r\n"
                               "User-Agent: Mozilla/4.0 (compatible; MSIE 4.01; Windows 95)\r\n"
                               "Accept: */*\r\nAccept: text/html\r\n\r\n"_ba;
    int failures = 0;
    const auto timeFetcher = [&](int count) {
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < count; ++i) {
            const HttpResult result = fetcher.HttpRequest("bench.example.com", "/page");
            failures += result.succeeded && result.response.size() == page.size() ? 0 : 1;
        }
        return clock.nsecsElapsed() / 1e6;
    };
    const auto timeBlocking = [&](int count) {
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < count; ++i)
            failures += blockingFetch(server.port(), request) == page.size() ? 0 : 1;
        return clock.nsecsElapsed() / 1e6;
    };

    timeFetcher(20);
    timeBlocking(20);
    const double fetcherMs = timeFetcher(fetches);
    const double blockingMs = timeBlocking(fetches);
    std::printf("%d fetches of a %lld-byte page over loopback\n", fetches, static_cast<long long>(page.size()));
    std::printf("  HttpRequest      %8.1f ms  (%.1f us per fetch)\n", fetcherMs, fetcherMs * 1000 / fetches);
    std::printf("  blocking client  %8.1f ms  (%.1f us per fetch)\n", blockingMs, blockingMs * 1000 / fetches);
    std::printf("  ratio            %8.2f     (goal: at most 1.5)\n", fetcherMs / blockingMs);

    // Cancel 100 ms into the wait for an answer, or for a connection, that never comes: Cancel to idle.
    const FullListener noAnswer;
    const struct {
        const char* wait;
        int port;
    } waits[] = {{"for data", server.port()}, {"for a connect", noAnswer.port()}};
    for (const auto& wait : waits) {
        port = wait.port;
        std::vector<double> latencies;
        for (int round = 0; round < 10; ++round) {
            QElapsedTimer sinceStart;
            QElapsedTimer sinceCancel;
            sinceStart.start();
            duringWaits = [&] {
                if (!sinceCancel.isValid() && sinceStart.elapsed() >= 100) {
                    fetcher.requestCancel();
                    sinceCancel.start();
                }
            };
            const HttpResult result = fetcher.HttpRequest("bench.example.com", "/stall");
            failures += !result.succeeded && fetcher.cancelRequested() ? 0 : 1;
            latencies.push_back(sinceCancel.nsecsElapsed() / 1e6);
            duringWaits = nullptr;
        }
        std::printf("cancel to idle, waiting %-13s over %zu requests: median %.2f ms, worst %.2f ms (goal: at most "
                    "100 ms)\n",
                    wait.wait, latencies.size(), bench::median(latencies),
                    *std::max_element(latencies.begin(), latencies.end()));
    }
    if (failures != 0)
        std::printf("%d fetches went wrong\n", failures);
    return failures == 0 ? 0 : 1;
}
