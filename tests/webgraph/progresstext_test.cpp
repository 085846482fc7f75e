#include "webgraph/progresstext.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(ProgressText, GivesBytesRateAndTimeLeft)
{
    using graphindex::GraphFile;
    const std::tuple<ReleaseReading::Progress, qint64, QString> cases[] = {
        {{GraphFile::Ranks, 1'200'000'000, 2'400'000'000}, 34'000, u"ranks: 1.2 GB of 2.4 GB, 35.3 MB/s, 0:34 left"_s},
        {{GraphFile::Edges, 3'000'000, 14'000'000'000}, 1'000, u"edges: 3.0 MB of 14.0 GB, 3.0 MB/s, 77:45 left"_s},
        {{GraphFile::Vertices, 500'000, 0}, 2'000, u"vertices: 500.0 kB, 250.0 kB/s"_s},
        {{GraphFile::Ranks, 500'000, 1'000'000}, 999, u"ranks: 500.0 kB of 1.0 MB"_s}, // no rate within a second
        {{GraphFile::Ranks, 1'000'000, 1'000'000}, 5'000, u"ranks: 1.0 MB of 1.0 MB, 200.0 kB/s"_s},
    };
    for (const auto& [progress, elapsed, text] : cases)
        EXPECT_EQ(progressText(progress, elapsed), text);
}

} // namespace
