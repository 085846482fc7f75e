#pragma once

// The web graph's releases and what they say of the domains, in a history file: the CSV section's header, the
// text each format writes of them, and their fields read back with the checks that keep out what Brenlow could
// never have written.

#include "values/graphfigures.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <utility>

namespace historyfile {

// The header of the CSV section that follows the runs, after a blank line.
inline const QByteArray csvGraphHeader =
    QByteArrayLiteral("release,crawls,release_domains,release_links,domain,name,found,harmonic_rank,harmonic_value,"
                      "pagerank_rank,pagerank_value,hosts,linking_domains,read_at");
constexpr qsizetype CsvGraphFields = 14;

// The CSV line of what a release says of a domain; with no figures, the line of a release that says nothing of
// any, its fields from domain on empty.
QByteArray csvGraphLine(const GraphRelease& release, const QByteArray& domain, const GraphFigures* figures);
// A release in JSON up to the opening bracket of its figures, and one of its figures.
QByteArray jsonReleaseStart(const GraphRelease& release);
QByteArray jsonFigures(const QByteArray& domain, const GraphFigures& figures);

// A release from its fields, its crawls joined by a space; the reason it is none otherwise.
std::optional<GraphRelease> parseGraphRelease(QByteArrayView id, QByteArrayView crawls, QByteArrayView domains,
                                              QByteArrayView links, QString& error);

// The fields of a domain's figures: those of the ranks, the values and the hosts are empty when found is false,
// linkingDomains when they were not counted.
struct GraphFiguresFields {
    QByteArrayView domain, name, found, harmonicRank, harmonicValue, pageRankRank, pageRankValue, hosts, linkingDomains,
        readAt;
};
std::optional<std::pair<QByteArray, GraphFigures>> parseGraphFigures(const GraphFiguresFields& fields, QString& error);

} // namespace historyfile
