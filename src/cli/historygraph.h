#pragma once

#include "history/latestgraphfigures.h"

#include <nlohmann/json.hpp>

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QStringList>

#include <functional>

class HistoryStore;

// What history prints of the web graph after the runs: each domain's figures from every release read for it, in
// the members and fields that show uses, with the release's crawls and the time the figures were read.
namespace historygraph {

// The domains named (every domain with figures when none is), in the order of their bytes, each with the figures
// read from since to until (either invalid: no bound), its releases in the order they were first read; a domain
// without any is left out. visit returns false to stop. False when the history could not be read.
using DomainVisitor = std::function<bool(const QByteArray& domain, const QList<LatestGraphFigures>& read)>;
bool visit(HistoryStore& store, const QList<QByteArray>& domains, const QDateTime& since, const QDateTime& until,
           const DomainVisitor& visit);

// {"domain": …, "webgraph": [show's webgraph member for each release, with crawls and readAt]}.
nlohmann::json json(const QByteArray& domain, const QList<LatestGraphFigures>& read);

// domain, show's webgraph.* fields, webgraph.crawls (joined by a space) and webgraph.readAt (ISO 8601, UTC).
QList<QByteArray> fieldNames();
QList<QByteArray> fields(const QByteArray& domain, const LatestGraphFigures& read);

// Read, Domain, Release, Registered Domain, Web Rank, PageRank, Hosts and Linking Domains: the time in local time,
// "not in the graph" for a domain the release does not hold, "-" for linking domains that were not counted.
QStringList tableTitles();
QList<bool> tableAlignRight();
QStringList tableTexts(const QByteArray& domain, const LatestGraphFigures& read, const QLocale& locale);

} // namespace historygraph
