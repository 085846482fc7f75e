#pragma once

#include "engine/enginecatalogue.h"
#include "net/posixsocket.h"
#include "support/httptestserver.h"

#include <QByteArray>
#include <QSet>

#include <array>

// The five search engines on loopback: one HttpTestServer answers every engine's link query for a domain with
// a result page of that engine that states the count given. Sockets made with settings() send every engine
// host to it; hosts marked refusing go to 127.0.0.2, where nothing listens, so their connects are refused.
class EngineServer {
public:
    using Counts = std::array<qint32, EngineCount>;

    EngineServer();

    HttpTestServer& http() { return m_http; }
    const EngineTables& engines() const { return m_engines; }

    // Answers the five queries for domain with pages that state counts (formatted with "," groups).
    void serveDomain(const QByteArray& domain, const Counts& counts);
    // Answers engine's query for domain with a reply of the test's own.
    void serveQuery(int engine, const QByteArray& domain, const ServerReply& reply);
    QByteArray queryPath(int engine, const QByteArray& domain) const;
    void refuse(int engine) { m_refused.insert(m_engines.engine(engine).host); }

    SocketSettings settings(std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;

    // A result page as the engine's site would send it, with headers, stating count.
    static QByteArray resultPage(const QString& engine, qint32 count);

private:
    EngineTables m_engines;
    HttpTestServer m_http;
    QSet<QByteArray> m_refused;
};
