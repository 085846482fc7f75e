#include "webgraph/gziplines.h"

#include "webgraph/graphfixture.h"

#include <gtest/gtest.h>

namespace {

struct Fed {
    bool fed = true;
    bool finished = false;
    QList<QByteArray> lines;
    QByteArray error;
};

Fed feedInPieces(const QByteArray& compressed, qsizetype piece)
{
    Fed result;
    GzipLines lines([&result](QByteArrayView line) {
        result.lines.append(line.toByteArray());
        return true;
    });
    for (qsizetype at = 0; at < compressed.size() && result.fed; at += piece)
        result.fed = lines.feed(QByteArrayView(compressed).sliced(at, std::min(piece, compressed.size() - at)));
    result.finished = result.fed && lines.finish();
    result.error = lines.error();
    return result;
}

TEST(GzipLines, HandsOnEveryLineWhateverThePiecesTheFileComesIn)
{
    const QByteArray text = "first\tline\nsecond\n\nfourth, the last, without a newline";
    const QList<QByteArray> expected{"first\tline", "second", "", "fourth, the last, without a newline"};
    for (const bool twoMembers : {false, true}) {
        for (const qsizetype piece : {qsizetype(1), qsizetype(7), qsizetype(1 << 20)}) {
            const Fed fed = feedInPieces(gzipped(text, twoMembers), piece);
            EXPECT_TRUE(fed.finished) << "piece " << piece << (twoMembers ? ", two members" : "");
            EXPECT_EQ(fed.lines, expected) << "piece " << piece << (twoMembers ? ", two members" : "");
        }
    }
}

TEST(GzipLines, LinesLongerThanTheBufferComeWhole)
{
    QByteArray text;
    for (int i = 0; i < 3; ++i)
        text += QByteArray(300 * 1024 + i, char('a' + i)) + '\n';
    const Fed fed = feedInPieces(gzipped(text), 4096);
    ASSERT_EQ(fed.lines.size(), 3);
    EXPECT_EQ(fed.lines[2], QByteArray(300 * 1024 + 2, 'c'));
}

TEST(GzipLines, RefusesWhatIsNotAWholeGzipFile)
{
    const QByteArray whole = gzipped("a\nb\nc\n");
    QByteArray flipped = whole;
    flipped[flipped.size() - 6] = char(flipped[flipped.size() - 6] ^ 0x55); // in the checksum
    const std::pair<const char*, QByteArray> cases[] = {
        {"cut short", whole.first(whole.size() - 9)},
        {"cut in the trailer", whole.first(whole.size() - 1)},
        {"checksum wrong", flipped},
        {"not gzip", QByteArray("a\nb\nc\n")},
        {"empty", QByteArray()},
        {"trailing bytes that are not gzip", whole + "junk"},
    };
    for (const auto& [name, bytes] : cases) {
        const Fed fed = feedInPieces(bytes, 3);
        EXPECT_FALSE(fed.finished) << name;
        EXPECT_FALSE(fed.error.isEmpty()) << name;
    }
}

TEST(GzipLines, StopsWhenTheReaderOfLinesSaysSo)
{
    int taken = 0;
    GzipLines lines([&taken](QByteArrayView) { return ++taken < 2; });
    EXPECT_FALSE(lines.feed(gzipped("1\n2\n3\n4\n")));
    EXPECT_EQ(taken, 2);
}

} // namespace
