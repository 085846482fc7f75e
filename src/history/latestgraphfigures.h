#pragma once

#include "values/graphfigures.h"

#include <QByteArray>
#include <QHash>
#include <QList>

#include <optional>

class HistoryStore;

// The newest release read for each of the domains (all when none is named), by the crawls it was built from (their
// names sort by date), a release read without them counting as read after those with them; nothing after a
// problem, which the store keeps.
std::optional<QHash<QByteArray, LatestGraphFigures>> latestGraphFigures(HistoryStore& store,
                                                                        const QList<QByteArray>& domains = {});
