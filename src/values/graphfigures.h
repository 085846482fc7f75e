#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

// One release of the web graph of registered domains, as the release index lists it. Releases never change once
// published; their ids are irregular ("cc-main-2026-apr-may-jun") and are read, never built.
struct GraphRelease {
    QString id;
    QStringList crawls; // the crawls the release was built from, as the index names them
    qint64 domains = 0; // the domains (nodes) of the release's domain graph
    qint64 links = 0;   // the links between them (arcs)

    friend bool operator==(const GraphRelease&, const GraphRelease&) = default;
};

// What one release says of one listed domain. The figures belong to the registered domain of the listed one
// ("example.co.uk" for shop.example.co.uk), which the user is always shown beside them.
struct GraphFigures {
    QByteArray name;          // the registered domain, ASCII ("xn--" for IDNs); empty when the listed domain has none
    bool found = false;       // the release holds name; when false, no figure below means anything
    qint64 harmonicRank = 0;  // position by harmonic centrality, 1 the highest
    double harmonicValue = 0; // the harmonic centrality
    qint64 pageRankRank = 0;  // position by PageRank, 1 the highest
    double pageRankValue = 0; // the PageRank
    qint64 hosts = 0;         // the host names under the domain that the crawls saw
    std::optional<qint64> linkingDomains; // other domains linking to it; nothing when they were not counted
    QDateTime readAt;                     // when the release was read for it, UTC

    friend bool operator==(const GraphFigures&, const GraphFigures&) = default;
};

// A listed domain's figures from the newest web graph release read for it.
struct LatestGraphFigures {
    GraphRelease release;
    GraphFigures figures;
};
