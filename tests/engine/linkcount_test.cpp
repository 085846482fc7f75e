#include "engine/linkcount.h"
#include "support/httptestserver.h"

#include <QString>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString engines[] = {u"AllTheWeb"_s, u"AltaVista"_s, u"Google"_s, u"HotBot"_s, u"MSN"_s};

TEST(ExtractLinkCount, ReadsTheCountOfEachEnginesPage)
{
    for (int i = 0; i < 5; ++i) {
        const QByteArray page = resultPage(i, "48,213");
        EXPECT_EQ(ExtractLinkCount(page, engines[i]), 48213) << engines[i].toStdString();
        // The next engine's rule finds nothing in it.
        EXPECT_EQ(ExtractLinkCount(page, engines[(i + 1) % 5]), 0) << engines[i].toStdString();
    }
}

TEST(ExtractLinkCount, FindsTheCountOnlyBetweenTheWholeMarkersInTheirOrder)
{
    // For each engine: its markers around 4,321, the markers in the wrong order, and the count outside them (each
    // marker's characters are pinned below). HotBot's count starts on the line after "</b> of ", ended by CR LF.
    const struct {
        int engine;
        QByteArray page;
        qint64 count;
    } cases[] = {
        {0, "Displaying results <b>1</b> - <b>10</b> of <b>4,321</b> web pages found", 4321},
        {0, "of <b>4,321</b> web pages found; Displaying results <b>1</b>", 0},
        {0, "Displaying results <b>1</b> - <b>10</b> of <b></b> web pages found 4,321", 0},
        {1, "<B>We found 4,321 results:</B>", 4321},
        {1, "results:</B> We found 4,321", 0},
        {1, "<B>We found results:</B> 4,321", 0},
        {2, "Results <b>1</b> - <b>10</b> of about <b>4,321</b>.", 4321},
        {2, "of about <b>4,321</b>. Results <b>1</b>", 0},
        {2, "Results <b>1</b> - <b>10</b> of about <b></b>. 4,321", 0},
        {3, "Showing Results <b>1 - 10</b> of \r\n4,321 Matches", 4321},
        {3, "Showing Results <b>1 - 10</b> of \r4,321 Matches", 0},
        {3, "</b> of \r\n4,321 Matches; Showing Results <b>1</b>", 0},
        {3, "Showing Results <b>1 - 10</b> of \r\n Matches 4,321", 0},
        {4, "<span>Results 1-15 of about 4,321 containing</span>", 4321},
        {4, "of about 4,321 containing <span>Results 1-15", 0},
        {4, "<span>Results 1-15 of about containing 4,321", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtractLinkCount(c.page, engines[c.engine]), c.count) << c.page.toStdString();
}

TEST(ExtractLinkCount, EveryCharacterOfEveryMarkerCounts)
{
    // Each engine's anchor, start and end marker, with 4,321 between the last two; every character of every
    // marker changed in turn leaves a page that states no count.
    const struct {
        int engine;
        QByteArray anchor;
        QByteArray start;
        QByteArray end;
    } rules[] = {
        {0, "Displaying results <b>", "of <b>", "</b> web pages found"},
        {1, "", "We found ", "results:</b>"},
        {2, "Results <b>", "of about <b>", "</b>."},
        {3, "Showing Results <b>", "</b> of \r\n", " Matches"},
        {4, ">Results ", "of about ", "containing"},
    };
    for (const auto& r : rules) {
        const QByteArray markers[] = {r.anchor, r.start, r.end};
        const auto page = [&](int changed, qsizetype at) {
            QByteArray parts[] = {r.anchor, r.start, r.end};
            parts[changed][at] = '#';
            return "x " + parts[0] + " 1 - 10 " + parts[1] + "4,321" + parts[2] + " y";
        };
        EXPECT_EQ(ExtractLinkCount("x " + r.anchor + " 1 - 10 " + r.start + "4,321" + r.end + " y", engines[r.engine]),
                  4321)
            << r.engine;
        for (int m = 0; m < 3; ++m) {
            for (qsizetype at = 0; at < markers[m].size(); ++at)
                EXPECT_EQ(FindLinkCount(page(m, at), engines[r.engine]), std::nullopt)
                    << r.engine << " " << m << " " << at;
        }
    }
}

TEST(ExtractLinkCount, ReadsTheCountTextTheEnglishWay)
{
    const struct {
        const char* what;
        QByteArray page;
        qint64 count;
    } cases[] = {
        {"markers in capitals", "RESULTS <B>1</B> OF ABOUT <B>12,345</B>.", 12345},
        {"the first start marker after the anchor", "Results <b>1</b> of about <b>3</b>. of about <b>9</b>.", 3},
        {"plain spaces trimmed", "Results <b>1</b> of about <b>  1,021  </b>.", 1021},
        {"a tab is no space", "Results <b>1</b> of about <b>\t1,021</b>.", 0},
        {"a word beside the number", "Results <b>1</b> of about <b>12,345 pages</b>.", 0},
        {"a German group is a decimal point", "Results <b>1</b> of about <b>424.493</b>.", 424},
        {"beyond 32 bits", "Results <b>1</b> of about <b>3,000,000,000</b>.", 3000000000},
        {"an empty page", "", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtractLinkCount(c.page, u"Google"), c.count) << c.what;
    EXPECT_EQ(ExtractLinkCount("Results <b>1</b> of about <b>5</b>.", u"google"), 0);
    EXPECT_EQ(ExtractLinkCount("Results <b>1</b> of about <b>5</b>.", u"Yahoo"), 0);
}

TEST(FindLinkCount, TellsAPageThatStatesNoCountFromOneThatStatesZero)
{
    const struct {
        const char* what;
        QByteArray page;
        std::optional<qint64> count;
    } cases[] = {
        {"zero", "Results <b>1</b> of about <b>0</b>.", 0},
        {"a count", "Results <b>1</b> of about <b>1,234</b>.", 1234},
        {"no end marker", "Results <b>1</b> of about <b>1,234", std::nullopt},
        {"no anchor", "of about <b>1,234</b>.", std::nullopt},
        {"nothing between the markers", "Results <b>1</b> of about <b></b>.", std::nullopt},
        {"only spaces between them", "Results <b>1</b> of about <b>   </b>.", std::nullopt},
        {"a word", "Results <b>1</b> of about <b>many</b>.", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindLinkCount(c.page, u"Google"), c.count) << c.what;
        EXPECT_EQ(ExtractLinkCount(c.page, u"Google"), c.count.value_or(0)) << c.what;
    }
    EXPECT_EQ(FindLinkCount("Results <b>1</b> of about <b>5</b>.", u"Yahoo"), std::nullopt);
}

} // namespace
