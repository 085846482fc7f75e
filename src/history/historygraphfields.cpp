#include "history/historygraphfields.h"

#include "domains/domaintext.h"
#include "history/historyfile.h"
#include "history/historyfilefields.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace historyfile {

namespace {

constexpr qint64 LargestFigure = 1LL << 62;

QByteArray jsonString(const QString& text)
{
    return QByteArray::fromStdString(nlohmann::json(text.toStdString()).dump());
}

// The shortest text that reads back as the same double, as the JSON library writes it ("29799486.0").
QByteArray decimal(double value)
{
    return QByteArray::fromStdString(nlohmann::json(value).dump());
}

QString text(QByteArrayView bytes)
{
    return QString::fromUtf8(bytes);
}

// A release's id names its files: letters, digits, "-", "_" and "." only, and not "." or "..".
bool isReleaseId(QByteArrayView id)
{
    return !id.isEmpty() && id.size() <= 200 && id != "." && id != ".." &&
           std::all_of(id.begin(), id.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                      c == '_' || c == '.';
           });
}

bool isPrintableAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c > ' ' && c < 0x7f; });
}

// A figure that is a number written as JSON writes one, not negative: "1.5e-09", "1000.0", "42".
std::optional<double> decimalFrom(QByteArrayView bytes)
{
    const bool plain = !bytes.isEmpty() && bytes.size() <= 40 && bytes[0] >= '0' && bytes[0] <= '9' &&
                       std::all_of(bytes.begin(), bytes.end(), [](char c) {
                           return (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-';
                       });
    bool ok = false;
    const double value = plain ? bytes.toDouble(&ok) : 0;
    return ok && std::isfinite(value) ? std::optional(value) : std::nullopt;
}

} // namespace

QByteArray csvGraphLine(const GraphRelease& release, const QByteArray& domain, const GraphFigures* figures)
{
    QByteArray line = csvField(release.id.toUtf8()) + ',' + csvField(release.crawls.join(u' ').toUtf8()) + ',' +
                      QByteArray::number(release.domains) + ',' + QByteArray::number(release.links) + ',';
    if (!figures)
        return line + ",,,,,,,,,\r\n";
    line += csvField(historyDomainText(domain).toUtf8()) + ',' + csvField(historyDomainText(figures->name).toUtf8()) +
            (figures->found ? ",true," : ",false,");
    if (figures->found)
        line += QByteArray::number(figures->harmonicRank) + ',' + decimal(figures->harmonicValue) + ',' +
                QByteArray::number(figures->pageRankRank) + ',' + decimal(figures->pageRankValue) + ',' +
                QByteArray::number(figures->hosts);
    else
        line += ",,,,";
    line += ',' + (figures->linkingDomains ? QByteArray::number(*figures->linkingDomains) : QByteArray());
    return line + ',' + timeBytes(figures->readAt) + "\r\n";
}

QByteArray jsonReleaseStart(const GraphRelease& release)
{
    QByteArray crawls;
    for (const QString& crawl : release.crawls)
        crawls += (crawls.isEmpty() ? "" : ",") + jsonString(crawl);
    return "{\"release\":" + jsonString(release.id) + ",\"crawls\":[" + crawls +
           "],\"domains\":" + QByteArray::number(release.domains) + ",\"links\":" + QByteArray::number(release.links) +
           ",\"figures\":[";
}

QByteArray jsonFigures(const QByteArray& domain, const GraphFigures& figures)
{
    QByteArray out = "{\"domain\":" + jsonString(historyDomainText(domain)) +
                     ",\"name\":" + jsonString(historyDomainText(figures.name)) +
                     ",\"found\":" + (figures.found ? "true" : "false");
    if (figures.found)
        out += ",\"harmonicRank\":" + QByteArray::number(figures.harmonicRank) +
               ",\"harmonicValue\":" + decimal(figures.harmonicValue) +
               ",\"pageRankRank\":" + QByteArray::number(figures.pageRankRank) +
               ",\"pageRankValue\":" + decimal(figures.pageRankValue) +
               ",\"hosts\":" + QByteArray::number(figures.hosts);
    if (figures.linkingDomains)
        out += ",\"linkingDomains\":" + QByteArray::number(*figures.linkingDomains);
    return out + ",\"readAt\":\"" + timeBytes(figures.readAt) + "\"}";
}

std::optional<GraphRelease> parseGraphRelease(QByteArrayView id, QByteArrayView crawls, QByteArrayView domains,
                                              QByteArrayView links, QString& error)
{
    if (!isReleaseId(id)) {
        error = u"not a release of the web graph: %1"_s.arg(text(id));
        return std::nullopt;
    }
    // The history keeps the crawls joined by a space.
    GraphRelease release{QString::fromLatin1(id), {}, 0, 0};
    const QList<QByteArray> names = crawls.isEmpty() ? QList<QByteArray>() : crawls.toByteArray().split(' ');
    for (const QByteArray& name : names) {
        if (name.isEmpty() || !isPrintableAscii(name)) {
            error = u"not the crawls of a release: %1"_s.arg(text(crawls));
            return std::nullopt;
        }
        release.crawls.append(QString::fromLatin1(name));
    }
    const std::optional<qint64> domainCount = wholeNumber(domains, LargestFigure);
    const std::optional<qint64> linkCount = wholeNumber(links, LargestFigure);
    if (!domainCount || !linkCount) {
        error = u"not a number of %1: %2"_s.arg(!domainCount ? u"domains"_s : u"links"_s,
                                                text(!domainCount ? domains : links));
        return std::nullopt;
    }
    release.domains = *domainCount;
    release.links = *linkCount;
    return release;
}

std::optional<std::pair<QByteArray, GraphFigures>> parseGraphFigures(const GraphFiguresFields& fields, QString& error)
{
    const std::optional<QByteArray> domain = historyDomainBytes(text(fields.domain));
    if (!domain || domain->isEmpty() || holdsUnstorableByte(*domain)) {
        error = u"not a domain that a list can hold: %1"_s.arg(text(fields.domain));
        return std::nullopt;
    }
    GraphFigures figures;
    const std::optional<QByteArray> name = historyDomainBytes(text(fields.name));
    if (!name || !isPrintableAscii(*name)) {
        error = u"not a registered domain: %1"_s.arg(text(fields.name));
        return std::nullopt;
    }
    figures.name = *name;
    if (fields.found != "true" && fields.found != "false") {
        error = u"found is neither true nor false: %1"_s.arg(text(fields.found));
        return std::nullopt;
    }
    figures.found = fields.found == "true";
    const std::pair<const char16_t*, QByteArrayView> ranks[] = {
        {u"position by harmonic centrality", fields.harmonicRank},
        {u"harmonic centrality", fields.harmonicValue},
        {u"position by PageRank", fields.pageRankRank},
        {u"PageRank", fields.pageRankValue},
        {u"number of hosts", fields.hosts}};
    for (const auto& [what, field] : ranks) {
        // A release that does not hold the domain gives it no figure; one that holds it gives it every one.
        if (field.isEmpty() == figures.found) {
            error = figures.found
                        ? u"no %1 of a domain the release holds"_s.arg(QStringView(what))
                        : u"a %1 of a domain the release does not hold: %2"_s.arg(QStringView(what), text(field));
            return std::nullopt;
        }
    }
    if (figures.found) {
        const std::optional<qint64> harmonicRank = wholeNumber(fields.harmonicRank, LargestFigure);
        const std::optional<double> harmonicValue = decimalFrom(fields.harmonicValue);
        const std::optional<qint64> pageRankRank = wholeNumber(fields.pageRankRank, LargestFigure);
        const std::optional<double> pageRankValue = decimalFrom(fields.pageRankValue);
        const std::optional<qint64> hosts = wholeNumber(fields.hosts, LargestFigure);
        const bool valid[] = {harmonicRank && *harmonicRank > 0, bool(harmonicValue), pageRankRank && *pageRankRank > 0,
                              bool(pageRankValue), bool(hosts)};
        const auto wrong = std::find(std::begin(valid), std::end(valid), false);
        if (wrong != std::end(valid)) {
            const auto& [what, field] = ranks[wrong - std::begin(valid)];
            error = u"not a %1: %2"_s.arg(QStringView(what), text(field));
            return std::nullopt;
        }
        figures.harmonicRank = *harmonicRank;
        figures.harmonicValue = *harmonicValue;
        figures.pageRankRank = *pageRankRank;
        figures.pageRankValue = *pageRankValue;
        figures.hosts = *hosts;
    }
    if (!fields.linkingDomains.isEmpty()) {
        figures.linkingDomains = wholeNumber(fields.linkingDomains, LargestFigure);
        if (!figures.linkingDomains) {
            error = u"not a number of linking domains: %1"_s.arg(text(fields.linkingDomains));
            return std::nullopt;
        }
    }
    const std::optional<QDateTime> readAt = timeFrom(fields.readAt);
    if (!readAt) {
        error = u"not a time in UTC: %1"_s.arg(text(fields.readAt));
        return std::nullopt;
    }
    figures.readAt = *readAt;
    return std::pair(*domain, figures);
}

} // namespace historyfile
