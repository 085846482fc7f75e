#include "engine/linkcount.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct SavedPage {
    const char* engine;
    const char* file;
    qint32 count;
};

void PrintTo(const SavedPage& page, std::ostream* out)
{
    *out << page.file;
}

class SavedPageTest : public ::testing::TestWithParam<SavedPage> {};

TEST_P(SavedPageTest, ReadsTheCountOfTheEnginesResultPage)
{
    const SavedPage& page = GetParam();
    const QByteArray bytes = readTestData(u"pages/"_s + QString::fromLatin1(page.file));
    EXPECT_EQ(ExtractLinkCount(bytes, QString::fromLatin1(page.engine)), page.count);
    // Another engine's rule finds nothing in this page.
    const QString other = page.engine == std::string_view("Google") ? u"MSN"_s : u"Google"_s;
    EXPECT_EQ(ExtractLinkCount(bytes, other), 0);
}

INSTANTIATE_TEST_SUITE_P(Engines, SavedPageTest,
                         ::testing::Values(SavedPage{"AllTheWeb", "alltheweb.html", 48213},
                                           SavedPage{"AltaVista", "altavista.html", 9874},
                                           SavedPage{"Google", "google.html", 12345},
                                           SavedPage{"HotBot", "hotbot.html", 3756}, SavedPage{"MSN", "msn.html", 873}),
                         [](const auto& info) { return std::string(info.param.engine); });

struct Case {
    const char* what;
    const char* engine;
    QByteArray page;
    qint32 count;
};

TEST(ExtractLinkCount, FollowsTheMarkerRules)
{
    const Case cases[] = {
        {"plain google", "Google", "x Results <b>1</b> of about <b>12,345</b>. y"_ba, 12345},
        {"markers in capitals", "Google", "RESULTS <B>1</B> OF ABOUT <B>12,345</B>."_ba, 12345},
        {"markers in mixed case", "Google", "rEsUlTs <b>1</b> Of AbOuT <B>77</b>."_ba, 77},
        {"near misses in both cases first", "Google", "rr RR results Results <b>1</b> of about <b>8</b>."_ba, 8},
        {"spaces around the number", "AltaVista", "We found    1,021   results:</b>"_ba, 1021},
        {"start marker only before the anchor", "Google", "of about <b>5</b>. Results <b>1</b> - 10"_ba, 0},
        {"no end marker after the start", "Google", "Results <b>1</b> of about <b>5 and then nothing"_ba, 0},
        {"end marker only before the start", "Google", "Results <b>x</b>. of about <b>5"_ba, 0},
        {"no anchor", "Google", "of about <b>5</b>."_ba, 0},
        {"first start marker after the anchor", "Google", "Results <b>1</b> of about <b>3</b>. of about <b>9</b>."_ba,
         3},
        {"hotbot crlf", "HotBot", "Showing Results <b>1</b> of \r\n2,500 Matches"_ba, 2500},
        {"hotbot same line", "HotBot", "Showing Results <b>1</b> of 2,500 Matches"_ba, 0},
        {"hotbot bare lf", "HotBot", "Showing Results <b>1</b> of \n2,500 Matches"_ba, 0},
        {"hotbot bare cr", "HotBot", "Showing Results <b>1</b> of \r2,500 Matches"_ba, 0},
        {"empty count text", "Google", "Results <b>1</b> of about <b></b>."_ba, 0},
        {"only spaces", "AltaVista", "We found    results:</b>"_ba, 0},
        {"word beside the number", "Google", "Results <b>1</b> of about <b>12,345 pages</b>."_ba, 0},
        {"largest count", "Google", "Results <b>1</b> of about <b>2,147,483,647</b>."_ba, 2147483647},
        {"above the 32-bit range", "Google", "Results <b>1</b> of about <b>2,147,483,648</b>."_ba, 0},
        {"fraction rounded", "MSN", ">Results 1 of about 12.5 containing"_ba, 12},
        {"engine name in lower case", "google", "Results <b>1</b> of about <b>5</b>."_ba, 0},
        {"engine outside the catalogue", "Yahoo", "Results <b>1</b> of about <b>5</b>."_ba, 0},
        {"empty page", "MSN", QByteArray(), 0},
        {"msn", "MSN", "<span>Results 1-15 of about 873 containing"_ba, 873},
        {"alltheweb", "AllTheWeb", "Displaying results <b>1</b> of <b>4,321</b> web pages found"_ba, 4321},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExtractLinkCount(c.page, QString::fromLatin1(c.engine)), c.count) << c.what;
}

} // namespace
