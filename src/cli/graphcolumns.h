#pragma once

#include "history/latestgraphfigures.h"

#include <nlohmann/json.hpp>

#include <QByteArray>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

// What show prints of a domain's web graph figures, from the newest release read for it: a JSON member, the same
// as separated fields named as the member's path ("webgraph.release"), and two columns of the table.
namespace graphcolumns {

// null when no release was read for the domain; {"release": ID, "found": false}; or every figure.
nlohmann::json json(const LatestGraphFigures* latest);

QList<QByteArray> fieldNames();
QList<QByteArray> fields(const LatestGraphFigures* latest);

// "Linking Domains" and "Web Rank".
QStringList tableTitles();
// The linking domains (empty when not counted) and the position by harmonic centrality, or "not in the graph".
QStringList tableTexts(const LatestGraphFigures* latest, const QLocale& locale);

} // namespace graphcolumns
