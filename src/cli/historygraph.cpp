#include "cli/historygraph.h"

#include "cli/graphcolumns.h"
#include "cli/rowoutput.h"
#include "cli/terminaltext.h"
#include "engine/bytetext.h"
#include "engine/timetext.h"
#include "history/historyfilefields.h"
#include "history/historystore.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace historygraph {

bool visit(HistoryStore& store, const QList<QByteArray>& domains, const QDateTime& since, const QDateTime& until,
           const DomainVisitor& visit)
{
    // The domains first, so that their figures can be read in the order of their bytes a domain at a time.
    QList<QByteArray> order = domains;
    if (order.isEmpty()) {
        const bool listed =
            store.visitGraphFigures({}, [&](const QByteArray& domain, const GraphRelease&, const GraphFigures&) {
                if (order.isEmpty() || order.constLast() != domain)
                    order.append(domain);
            });
        if (!listed)
            return false;
        if (order.isEmpty())
            return true;
    }
    std::sort(order.begin(), order.end());
    QByteArray current;
    QList<LatestGraphFigures> read;
    bool going = true;
    const auto hand = [&] {
        going = going && (read.isEmpty() || visit(current, read));
        read.clear();
    };
    const bool whole = store.visitGraphFigures(
        order, [&](const QByteArray& domain, const GraphRelease& release, const GraphFigures& figures) {
            if (domain != current) {
                hand();
                current = domain;
            }
            if ((!since.isValid() || figures.readAt >= since) && (!until.isValid() || figures.readAt <= until))
                read.append({release, figures});
        });
    if (whole)
        hand();
    return whole;
}

nlohmann::json json(const QByteArray& domain, const QList<LatestGraphFigures>& read)
{
    nlohmann::json releases = nlohmann::json::array();
    for (const LatestGraphFigures& one : read) {
        nlohmann::json member = graphcolumns::json(&one);
        member["crawls"] = nlohmann::json::array();
        for (const QString& crawl : one.release.crawls)
            member["crawls"].push_back(crawl.toStdString());
        member["readAt"] = historyfile::timeBytes(one.figures.readAt).toStdString();
        releases.push_back(member);
    }
    return {{"domain", jsonText(domain).toStdString()}, {"webgraph", releases}};
}

QList<QByteArray> fieldNames()
{
    return QList<QByteArray>{"domain"} + graphcolumns::fieldNames() +
           QList<QByteArray>{"webgraph.crawls", "webgraph.readAt"};
}

QList<QByteArray> fields(const QByteArray& domain, const LatestGraphFigures& read)
{
    return QList<QByteArray>{domain} + graphcolumns::fields(&read) +
           QList<QByteArray>{read.release.crawls.join(u' ').toUtf8(), historyfile::timeBytes(read.figures.readAt)};
}

QStringList tableTitles()
{
    return {u"Read"_s,     u"Domain"_s,   u"Release"_s, u"Registered Domain"_s,
            u"Web Rank"_s, u"PageRank"_s, u"Hosts"_s,   u"Linking Domains"_s};
}

QList<bool> tableAlignRight()
{
    return {false, false, false, false, true, true, true, true};
}

QStringList tableTexts(const QByteArray& domain, const LatestGraphFigures& read, const QLocale& locale)
{
    const GraphFigures& figures = read.figures;
    QStringList texts{historyTimeText(locale, figures.readAt), printableText(textFromBytes(domain)), read.release.id,
                      printableText(QString::fromLatin1(figures.name))};
    if (figures.found)
        texts += {locale.toString(figures.harmonicRank), locale.toString(figures.pageRankRank),
                  locale.toString(figures.hosts)};
    else
        texts += {u"not in the graph"_s, QString(), QString()};
    // A dash where they were not counted, as where a run did not ask.
    texts.append(figures.linkingDomains ? locale.toString(*figures.linkingDomains) : u"-"_s);
    return texts;
}

} // namespace historygraph
