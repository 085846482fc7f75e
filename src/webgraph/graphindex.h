#pragma once

#include "values/graphfigures.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// The index of the web graph's releases (graphinfo.json): a JSON array of releases, newest first.
namespace graphindex {

// Where the index is found by default.
inline constexpr char DefaultIndex[] = "https://index.commoncrawl.org/graphinfo.json";
// The base under which each release's files are found by default.
inline constexpr char DefaultData[] = "https://data.commoncrawl.org/";

// The releases the index lists, in its order; nothing, with error set, when it is not such an index. A release
// without an id, or with an id that could not be a file name, is left out.
std::optional<QList<GraphRelease>> parse(const QByteArray& json, QString& error);

// The files of a release's domain graph.
enum class GraphFile { Ranks, Vertices, Edges };

// The address of one of a release's files under a base: <base>projects/hyperlinkgraph/<id>/domain/<id>-domain-
// ranks.txt.gz, and so on. The base may be http(s) or a local folder (file:).
QUrl fileUrl(const QUrl& base, const QString& releaseId, GraphFile file);

// The releases a local folder holds, as a download of them lays them out (projects/hyperlinkgraph/<id>/domain),
// by their ids; a folder does not say which is the newest.
QList<GraphRelease> releasesInFolder(const QUrl& folder);

} // namespace graphindex
