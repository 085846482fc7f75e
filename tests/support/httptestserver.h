#pragma once

#include "net/posixsocket.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <array>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

// What the server does with a request once it has read it: writes the bytes, then closes the connection or
// keeps it open and silent until the client goes.
struct ServerReply {
    QByteArray bytes;
    bool closes = true;
    bool resets = false; // closes with a reset instead of a normal close

    static ServerReply page(const QByteArray& bytes) { return {bytes, true}; }             // writes, then closes
    static ServerReply silence() { return {{}, false}; }                                   // accepts, never answers
    static ServerReply stallAfter(const QByteArray& bytes) { return {bytes, false}; }      // writes, then keeps silent
    static ServerReply resetAfter(const QByteArray& bytes) { return {bytes, true, true}; } // writes, then resets
};

// "HTTP/1.0 <status>", a content type and the body, as a server of the old web answers.
QByteArray httpPage(QByteArrayView body, QByteArrayView status = "200 OK");

// The link queries of the five engines for a domain, in catalogue order, written out as the engines take them.
QList<QByteArray> linkQueries(const QByteArray& domain);

// The result page of engine 0 to 4 as its site sends it (tests/data/pages), stating count where it states its
// count.
QByteArray resultPage(int engine, const QByteArray& count);

// A scripted HTTP server on 127.0.0.1 (a free port), served by a thread of its own with non-blocking sockets, so
// any number of connections, stalled ones included, are served side by side. It records every request's exact
// bytes (up to the empty line) and answers by path: the n-th request to a path gets the n-th reply given for
// it, the last reply repeats. Paths without replies get a "404 Not Found" page. It plays the five engines too:
// sockets made with settings() reach it whatever host they name. Safe to use from any thread.
class HttpTestServer {
public:
    using Counts = std::array<qint32, 5>;

    HttpTestServer();
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    bool isListening() const { return m_listener >= 0; }
    int port() const { return m_port; }

    void answer(const QByteArray& path, const QList<ServerReply>& replies);
    void answer(const QByteArray& path, const ServerReply& reply) { answer(path, QList<ServerReply>{reply}); }
    // Answers the five link queries for domain with the engines' pages stating counts, "," between digit groups.
    void serveDomain(const QByteArray& domain, const Counts& counts);
    // Every host name resolves to 127.0.0.1 and every connection comes here.
    SocketSettings settings(std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;

    int requestCount() const;
    int requestCount(const QByteArray& path) const;
    QByteArray lastRequest() const;
    QList<QByteArray> requests() const; // every request's bytes, in the order they came

private:
    struct Connection;

    void serve();
    void accept(std::vector<Connection>& connections);
    bool advance(Connection& connection); // false: the connection is over
    bool readRequest(Connection& connection);
    bool write(Connection& connection);
    ServerReply replyFor(const QByteArray& request);

    int m_listener = -1;
    int m_wakeUp = -1;
    int m_port = 0;
    std::thread m_thread;

    mutable std::mutex m_mutex;
    std::map<QByteArray, QList<ServerReply>> m_replies;
    std::map<QByteArray, int> m_served; // requests per path
    QList<QByteArray> m_requests;
};
