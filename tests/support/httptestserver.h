#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

// What the server does with a request once it has read it: the writes, each one write call, then the ending.
struct ServerReply {
    enum class Ending {
        Close,   // closes the connection
        Stall,   // keeps the connection open and silent until the client goes
        Reset,   // aborts the connection (SO_LINGER 0), so the client sees a reset
        Endless, // repeats the last write until the client goes
    };
    QList<QByteArray> writes;
    Ending ending = Ending::Close;

    static ServerReply page(const QByteArray& bytes);                    // at once, then close
    static ServerReply inPieces(const QByteArray& bytes, int pieceSize); // many small writes, then close
    static ServerReply blocks(const QList<QByteArray>& blocks);          // one write per block, then close
    static ServerReply silence();                                        // accepts and never answers
    static ServerReply closeAtOnce();                                    // closes without a byte
    static ServerReply stallAfter(const QByteArray& bytes);              // writes, then keeps silent
    static ServerReply resetAfter(const QByteArray& bytes);              // writes, then resets
    static ServerReply endless(const QByteArray& head, const QByteArray& pattern);
};

// "HTTP/1.0 <status>", a content type and the body, as a server of the old web answers.
QByteArray httpPage(QByteArrayView body, QByteArrayView status = "200 OK");

// A scripted HTTP server on 127.0.0.1 (a free port), served by a thread of its own with non-blocking sockets, so
// any number of connections, stalled ones included, are served side by side. It records every request's exact
// bytes (up to the empty line) and answers by path: the n-th request to a path gets the n-th reply given for
// it, the last reply repeats. Paths without replies get a "404 Not Found" page. Safe to use from any thread.
class HttpTestServer {
public:
    HttpTestServer();
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    bool isListening() const { return m_listener >= 0; }
    int port() const { return m_port; }

    void answer(const QByteArray& path, const QList<ServerReply>& replies);
    void answer(const QByteArray& path, const ServerReply& reply) { answer(path, QList<ServerReply>{reply}); }
    void answerOthers(const ServerReply& reply);

    int requestCount() const;
    int requestCount(const QByteArray& path) const;
    QList<QByteArray> requests() const; // in arrival order
    QByteArray lastRequest() const;

    // Wait for a condition on the server's thread, at most bound; false when the bound ran out.
    bool waitForRequests(int count, std::chrono::milliseconds bound) const;
    bool waitUntilNoConnection(std::chrono::milliseconds bound) const; // every connection closed, by either side

private:
    struct Connection;

    void serve();
    void accept(std::vector<Connection>& connections);
    bool advance(Connection& connection); // false: the connection is over
    bool readRequest(Connection& connection);
    bool write(Connection& connection);
    ServerReply replyFor(const QByteArray& request);
    void setOpenConnections(int count);

    int m_listener = -1;
    int m_wakeUp = -1;
    int m_port = 0;
    std::thread m_thread;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::map<QByteArray, QList<ServerReply>> m_replies;
    std::map<QByteArray, int> m_served; // requests per path
    ServerReply m_otherReply;
    QList<QByteArray> m_requests;
    int m_openConnections = 0;
};
