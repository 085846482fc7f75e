#pragma once

#include "net/posixsocket.h"
#include "support/qtprinters.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <array>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

// What the server does with a request once it has read it: writes the bytes (in pieces, a pause before each
// piece after the first), then closes the connection, resets it, or keeps it open and silent until the client
// goes.
struct ServerReply {
    QByteArray bytes;
    bool closes = true;
    bool resets = false;
    int pieces = 1;
    std::chrono::milliseconds pause{0};
    // A file served as a server of large files serves it (bytes holds the file): see file().
    bool isFile = false;
    bool honoursRange = true;
    QList<qint64> breaks{};

    static ServerReply page(const QByteArray& bytes) { return {bytes}; }                   // writes, then closes
    static ServerReply silence() { return {{}, false}; }                                   // accepts, never answers
    static ServerReply stallAfter(const QByteArray& bytes) { return {bytes, false}; }      // writes, then keeps silent
    static ServerReply resetAfter(const QByteArray& bytes) { return {bytes, true, true}; } // writes, then resets
    static ServerReply trickle(const QByteArray& bytes, int pieces, std::chrono::milliseconds pause)
    {
        return {bytes, true, false, pieces, pause};
    }
    // "HTTP/1.1 206 Partial Content" with the part that "Range: bytes=N-" asks for (unless the server does not
    // honour ranges), else "200 OK" with the whole file. The connection breaks (closes early) at the first of the
    // breaks past the part's start, the same for every request that asks for the same part, so that a client's
    // resending of a request changes nothing.
    static ServerReply file(const QByteArray& file, QList<qint64> breaks = {}, bool honoursRange = true)
    {
        ServerReply reply{file};
        reply.isFile = true;
        reply.honoursRange = honoursRange;
        reply.breaks = std::move(breaks);
        return reply;
    }
};

// "HTTP/1.0 <status>", a content type and the body, as a server of the old web answers.
QByteArray httpPage(QByteArrayView body, QByteArrayView status = "200 OK");

// The link queries of the five engines for a domain, in catalogue order, written out as the engines take them.
QList<QByteArray> linkQueries(const QByteArray& domain);

// The result page of engine 0 to 4 as its site sends it (tests/data/pages), stating count where it states its
// count.
QByteArray resultPage(int engine, const QByteArray& count);

// A scripted HTTP server on 127.0.0.1 (a free port), a thread for each connection, so stalled connections are
// served beside the others. It records every request's exact bytes (up to the empty line) and answers by
// path: the n-th request to a path gets the n-th reply given for it, the last reply repeats; other paths get
// "404 Not Found". It plays the five engines too: sockets made with settings() reach it whatever host they
// name. Safe to use from any thread.
class HttpTestServer {
public:
    using Counts = std::array<qint64, 5>;

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
    QList<QByteArray> requests() const; // every request's bytes, in the order they came

private:
    void acceptConnections();
    void serve(int socket);
    ServerReply replyFor(const QByteArray& request);

    int m_listener = -1;
    int m_port = 0;
    std::thread m_acceptor;

    mutable std::mutex m_mutex;
    std::condition_variable m_served; // a connection is over
    bool m_stopping = false;
    std::vector<int> m_open; // the connections being served
    std::map<QByteArray, QList<ServerReply>> m_replies;
    std::map<QByteArray, int> m_requestsPerPath;
    QList<QByteArray> m_requests;
};
