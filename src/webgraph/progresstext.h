#pragma once

#include "webgraph/releasereading.h"

#include <QString>

// How far the reading of a release's file is, for a person: "ranks: 1.2 GB of 2.4 GB, 35.2 MB/s, 0:34 left"
// (the rate and the time left once a second has passed). Sizes in SI units with a point, as download tools give
// them.
QString progressText(const ReleaseReading::Progress& progress, qint64 elapsedMs);
