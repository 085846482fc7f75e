#include "cli/graphcolumns.h"

using namespace Qt::StringLiterals;

namespace graphcolumns {

nlohmann::json json(const LatestGraphFigures* latest)
{
    if (!latest)
        return nullptr;
    const GraphFigures& figures = latest->figures;
    nlohmann::json member{{"release", latest->release.id.toStdString()}, {"found", figures.found}};
    if (!figures.found)
        return member;
    member["name"] = figures.name.toStdString();
    member["harmonicRank"] = figures.harmonicRank;
    member["pageRankRank"] = figures.pageRankRank;
    member["hosts"] = figures.hosts;
    member["domains"] = latest->release.domains;
    member["linkingDomains"] = figures.linkingDomains ? nlohmann::json(*figures.linkingDomains) : nlohmann::json();
    return member;
}

QList<QByteArray> fieldNames()
{
    return {"webgraph.release",      "webgraph.found", "webgraph.name",    "webgraph.harmonicRank",
            "webgraph.pageRankRank", "webgraph.hosts", "webgraph.domains", "webgraph.linkingDomains"};
}

QList<QByteArray> fields(const LatestGraphFigures* latest)
{
    QList<QByteArray> out(fieldNames().size());
    if (!latest)
        return out;
    const GraphFigures& figures = latest->figures;
    out[0] = latest->release.id.toUtf8();
    out[1] = figures.found ? "true" : "false";
    if (figures.found) {
        out[2] = figures.name;
        out[3] = QByteArray::number(figures.harmonicRank);
        out[4] = QByteArray::number(figures.pageRankRank);
        out[5] = QByteArray::number(figures.hosts);
        out[6] = QByteArray::number(latest->release.domains);
        if (figures.linkingDomains)
            out[7] = QByteArray::number(*figures.linkingDomains);
    }
    return out;
}

QStringList tableTitles()
{
    return {u"Linking Domains"_s, u"Web Rank"_s};
}

QStringList tableTexts(const LatestGraphFigures* latest, const QLocale& locale)
{
    if (!latest)
        return {QString(), QString()};
    const GraphFigures& figures = latest->figures;
    if (!figures.found)
        return {QString(), u"not in the graph"_s};
    return {figures.linkingDomains ? locale.toString(*figures.linkingDomains) : QString(),
            locale.toString(figures.harmonicRank)};
}

} // namespace graphcolumns
