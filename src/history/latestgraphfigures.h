#pragma once

#include "values/graphfigures.h"

#include <QByteArray>
#include <QHash>
#include <QList>

#include <optional>

#include <QDateTime>

class HistoryStore;

// When a release was made, as far as its crawls tell: the start of the week of its latest crawl
// ("CC-MAIN-2026-26": the ISO week 26 of 2026), in UTC; fallback when no crawl is named so.
QDateTime graphReleaseTime(const GraphRelease& release, const QDateTime& fallback);

// The newest release read for each of the domains (all when none is named), by the crawls it was built from (their
// names sort by date), a release read without them counting as read after those with them; nothing after a
// problem, which the store keeps.
std::optional<QHash<QByteArray, LatestGraphFigures>> latestGraphFigures(HistoryStore& store,
                                                                        const QList<QByteArray>& domains = {});
