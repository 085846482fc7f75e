#include "support/engineserver.h"

#include <QLocale>

using namespace Qt::StringLiterals;

EngineServer::EngineServer()
{
    m_engines.InitGridHeaders();
    m_engines.InitEngineCatalogue();
}

QByteArray EngineServer::queryPath(int engine, const QByteArray& domain) const
{
    return ExpandTemplate(m_engines.engine(engine).queryTemplate, domain);
}

void EngineServer::serveDomain(const QByteArray& domain, const Counts& counts)
{
    for (int i = 0; i < EngineCount; ++i)
        serveQuery(i, domain, ServerReply::page(resultPage(m_engines.engine(i).name, counts[i])));
}

void EngineServer::serveQuery(int engine, const QByteArray& domain, const ServerReply& reply)
{
    m_http.answer(queryPath(engine, domain), reply);
}

SocketSettings EngineServer::settings(std::chrono::milliseconds timeout) const
{
    SocketSettings settings;
    settings.timeout = timeout;
    const QSet<QByteArray> refused = m_refused;
    settings.resolveName = [refused](const QByteArray& name) -> std::optional<quint32> {
        return refused.contains(name) ? quint32(0x7f000002) : quint32(0x7f000001);
    };
    const int port = m_http.port();
    settings.dialPort = [port](int) { return port; };
    return settings;
}

QByteArray EngineServer::resultPage(const QString& engine, qint32 count)
{
    const QByteArray number = QLocale(QLocale::English, QLocale::UnitedStates).toString(count).toLatin1();
    QByteArray body = "<html><head><title>Search results</title></head><body>\n";
    if (engine == u"AllTheWeb")
        body += "Displaying results <b>1</b> - <b>10</b> of <b>" + number + "</b> web pages found";
    else if (engine == u"AltaVista")
        body += "<B>We found " + number + " results:</B>";
    else if (engine == u"Google")
        body += "Results <b>1</b> - <b>10</b> of about <b>" + number + "</b>. Search took <b>0.11</b> seconds";
    else if (engine == u"HotBot")
        body += "Showing Results <B>1 - 10</B> of \r\n" + number + " Matches";
    else
        body += "<span>Results 1-15 of about " + number + " containing</span>";
    body += "\n<p>" + QByteArray(20 * 1024 - body.size() - 32, 'x') + "</p></body></html>\n";
    return httpPage(body);
}
