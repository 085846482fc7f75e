#include "app/stalecounts.h"
#include "grid/gridmodel.h"
#include "windowfixture.h"

#include <QImage>
#include <QRegularExpression>
#include <QStatusBar>

using namespace Qt::StringLiterals;

namespace {

const QByteArray threeDomains = "a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n"
                                "b.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n"
                                "c.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n";

// The time in a note or a summary, which comes from the clock: "9:40 PM" in English (United States).
const QString time = u"\\d{1,2}:\\d{2}\\s[AP]M"_s;

bool matches(const QString& text, const QString& pattern)
{
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(text).hasMatch();
}

class RunFailuresTest : public WindowTest {
protected:
    QString note(int row, int col) { return grid().cellData(row, col, Qt::ToolTipRole).toString(); }
    bool marked(int row, int col) { return grid().cellData(row, col, GridModel::NoteMarkRole).toBool(); }

    // The marked cells of rows 1 to 3, as "row,col".
    QStringList markedCells()
    {
        QStringList cells;
        for (int row = 1; row <= 3; ++row) {
            for (int col = 0; col < 8; ++col) {
                if (marked(row, col))
                    cells.append(u"%1,%2"_s.arg(row).arg(col));
            }
        }
        return cells;
    }

    // Starts on three domains and updates them all: a.com's Google answers 503, c.com's MSN states no count.
    void runWithTwoFailures()
    {
        m_server.serveDomain("a.com", {10, 20, 30, 40, 50});
        m_server.serveDomain("b.com", {10, 20, 3, 40, 50});
        m_server.serveDomain("c.com", {10, 20, 30, 40, 50});
        m_server.answer(linkQueries("a.com")[2], ServerReply::page(httpPage("", "503 Service Unavailable")));
        m_server.answer(linkQueries("c.com")[4], ServerReply::page(httpPage("<p>No results</p>")));
        start(threeDomains);
        button("cmdUpdate0").click();
    }

    // The cell as drawn on screen, in shades of grey.
    QImage greyCell(int row, int col)
    {
        QCoreApplication::processEvents();
        const QRect rect = grid().visualRect(grid().model()->index(row - 1, col));
        return grid().viewport()->grab(rect).toImage().convertToFormat(QImage::Format_Grayscale8);
    }
};

TEST_F(RunFailuresTest, ACountARunCouldNotUpdateIsMarkedAndSaysWhy)
{
    runWithTwoFailures();

    EXPECT_EQ(rowTexts(1), (QStringList{u"a.com"_s, u"123"_s, u"10"_s, u"20"_s, u"3"_s, u"40"_s, u"50"_s}));
    EXPECT_EQ(markedCells(), (QStringList{u"1,4"_s, u"3,6"_s}));
    EXPECT_TRUE(matches(
        note(1, 4), u"Not updated at "_s + time +
                        uR"( \(the server answered 503 Service Unavailable\); this count is from an earlier run\.)"_s))
        << note(1, 4).toStdString();
    EXPECT_TRUE(matches(note(3, 6), u"Not updated at "_s + time +
                                        uR"( \(the page states no count\); this count is from an earlier run\.)"_s))
        << note(3, 6).toStdString();
    EXPECT_EQ(note(2, 4), QString());
    EXPECT_TRUE(window().statusBar()->isVisible());
    EXPECT_TRUE(
        matches(label("lblLastUpdate").text(), u"Updated 13 of 15 counts at "_s + time +
                                                   u"; 2 could not be updated and keep their earlier counts\\."_s))
        << label("lblLastUpdate").text().toStdString();
    EXPECT_EQ(label("lblLastUpdate").toolTip(),
              u"a.com, Google: the server answered 503 Service Unavailable\nc.com, MSN: the page states no count"_s);

    // The mark is a shape beside the text: a marked "3" and a fresh "3" differ in grey, also on a dark palette.
    EXPECT_EQ(cell(1, 4), cell(2, 4));
    EXPECT_NE(greyCell(1, 4), greyCell(2, 4));
    QPalette dark;
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        dark.setColor(group, QPalette::Base, QColor(30, 30, 30));
        dark.setColor(group, QPalette::Window, QColor(45, 45, 45));
        dark.setColor(group, QPalette::Text, QColor(230, 230, 230));
        dark.setColor(group, QPalette::WindowText, QColor(230, 230, 230));
    }
    grid().setPalette(dark);
    EXPECT_NE(greyCell(1, 4), greyCell(2, 4));

    // Removing a domain leaves the others' marks where their domains go.
    m_dialogs.answers = {UserDialogs::Answer::Yes};
    grid().makeCurrent(2, 0);
    button("cmdRemoveDomain").click();
    EXPECT_EQ(markedCells(), (QStringList{u"1,4"_s, u"2,6"_s}));

    // A domain removed and added again starts without marks.
    m_dialogs.answers = {UserDialogs::Answer::Yes};
    grid().makeCurrent(2, 0);
    button("cmdRemoveDomain").click();
    m_dialogs.prompts = {u"c.com"_s};
    button("cmdAddDomain").click();
    EXPECT_EQ(cell(2, 0), u"c.com"_s);
    EXPECT_EQ(markedCells(), QStringList{u"1,4"_s});

    // A later fetch that succeeds takes the mark away; a new run says what it did.
    m_server.serveDomain("a.com", {10, 20, 30, 40, 50});
    grid().makeCurrent(1, 0);
    button("cmdUpdate1").click();
    EXPECT_EQ(cell(1, 4), u"30"_s);
    EXPECT_EQ(markedCells(), QStringList());
    EXPECT_TRUE(matches(label("lblLastUpdate").text(), u"Updated 5 of 5 counts at "_s + time + u"\\."_s));
    EXPECT_EQ(label("lblLastUpdate").toolTip(), QString());
}

TEST_F(RunFailuresTest, MarksComeBackAfterARestartAsTheHistoryKeepsThem)
{
    runWithTwoFailures();
    ASSERT_EQ(markedCells(), (QStringList{u"1,4"_s, u"3,6"_s}));
    const QStringList notes{note(1, 4), note(3, 6)};
    const auto restart = [this] {
        button("cmdExit").click();
        start(listFile());
    };

    // The next session marks the same counts, and says the same of them.
    restart();
    EXPECT_EQ(markedCells(), (QStringList{u"1,4"_s, u"3,6"_s}));
    EXPECT_EQ((QStringList{note(1, 4), note(3, 6)}), notes);

    // A later fetch that succeeds takes a mark away for good.
    m_server.serveDomain("a.com", {10, 20, 30, 40, 50});
    grid().makeCurrent(1, 0);
    button("cmdUpdate1").click();
    EXPECT_EQ(markedCells(), QStringList{u"3,6"_s});
    restart();
    EXPECT_EQ(markedCells(), QStringList{u"3,6"_s});
    EXPECT_EQ(note(3, 6), notes[1]);
}

TEST_F(RunFailuresTest, ACancelledRunSaysSoAndMarksTheFetchItCut)
{
    m_server.serveDomain("a.com", {10, 20, 30, 40, 50});
    m_server.answer(linkQueries("a.com")[1], ServerReply::silence());
    start(threeDomains);
    whenever([&] { return m_server.requestCount(linkQueries("a.com")[1]) == 1; },
             [&] { button("cmdCancelUpdate").click(); });
    button("cmdUpdate0").click();

    EXPECT_EQ(rowTexts(1), (QStringList{u"a.com"_s, u"24"_s, u"10"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s}));
    EXPECT_EQ(markedCells(), QStringList{u"1,3"_s});
    EXPECT_TRUE(matches(note(1, 3), u"Not updated at "_s + time +
                                        uR"( \(the update was cancelled\); this count is from an earlier run\.)"_s));
    EXPECT_TRUE(matches(label("lblLastUpdate").text(),
                        u"Cancelled at "_s + time +
                            u" after updating 1 of 15 counts; 1 could not be updated and keeps its earlier count; "
                            u"13 were not asked for\\."_s))
        << label("lblLastUpdate").text().toStdString();

    // The keyboard reaches the note: it shows in the status bar while its cell is current, and only then.
    EXPECT_TRUE(label("lblCurrentNote").text().isEmpty());
    grid().makeCurrent(1, 3);
    EXPECT_EQ(label("lblCurrentNote").text(), note(1, 3));
    grid().makeCurrent(1, 4);
    EXPECT_TRUE(label("lblCurrentNote").text().isEmpty());
}

TEST(StaleCounts, ANoteSaysWhenAndWhyAndGivesTheDateOfAnotherDay)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    const QDateTime at(QDate(2026, 12, 5), QTime(21, 40));
    FetchReport report;
    report.row = 1;
    report.engine = 2;
    report.domain = "a.com";
    report.at = at.toUTC();
    report.failure.kind = FetchFailure::TimedOut;
    report.keptCount = u"1.234"_s;
    StaleCounts counts;
    EXPECT_TRUE(counts.record(report));
    EXPECT_FALSE(counts.record(report)); // marked already
    EXPECT_EQ(counts.note("a.com", 2, german, QDate(2026, 12, 5)),
              u"Not updated at 21:40 (the server did not answer in time); this count is from an earlier run."_s);
    EXPECT_EQ(counts.note("a.com", 2, german, QDate(2026, 12, 6)),
              u"Not updated on 05.12.26 at 21:40 (the server did not answer in time); this count is from an earlier "
              u"run."_s);
    EXPECT_EQ(counts.note("a.com", 1, german, QDate(2026, 12, 5)), QString());
    EXPECT_EQ(counts.note("b.com", 2, german, QDate(2026, 12, 5)), QString());

    report.count = 7;
    EXPECT_TRUE(counts.record(report));
    EXPECT_FALSE(counts.record(report)); // not marked
    EXPECT_EQ(counts.note("a.com", 2, german, QDate(2026, 12, 5)), QString());
}

} // namespace
