#include "app/historyview.h"
#include "app/webgraphdialog.h"
#include "webgraph/graphfixture.h"
#include "windowfixture.h"

#include <QChart>
#include <QCheckBox>
#include <QComboBox>
#include <QLineSeries>

using namespace Qt::StringLiterals;

namespace {

const QByteArray listed = "www.example.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n"
                          "absent.net|\r\n"
                          "shop.example.co.uk|\r\n";

class WebGraphWindowTest : public WindowTest {
protected:
    WebGraphDialog& openDialog()
    {
        action("mnuFileWebGraph").trigger();
        auto* dialog = window().findChild<WebGraphDialog*>(u"webGraphDialog"_s);
        if (!dialog)
            throw std::runtime_error("no dialog opened");
        return *dialog;
    }
    template <typename Control> Control& in(WebGraphDialog& dialog, const char* name)
    {
        return *dialog.findChild<Control*>(QString::fromLatin1(name));
    }
    QString status(WebGraphDialog& dialog) { return in<QLabel>(dialog, "lblWebGraphStatus").text(); }
    QStringList graphTexts(int row) { return {cell(row, 7), cell(row, 8)}; }
};

TEST_F(WebGraphWindowTest, AReleaseReadInTheDialogShowsItsFiguresAfterTheCounts)
{
    graphfixture::serve(m_server);
    start(listed);
    EXPECT_EQ(grid().Cols(), 8); // the counts' columns and the filler: unchanged until a release was read

    WebGraphDialog& dialog = openDialog();
    QComboBox& releases = in<QComboBox>(dialog, "cboRelease");
    ASSERT_TRUE(eventually([&] { return releases.count() == 2; }));
    EXPECT_EQ(releases.itemText(0), u"cc-main-2026-apr-may-jun (6 domains)"_s);
    EXPECT_EQ(releases.itemText(1), u"cc-main-2026-jan-feb-mar"_s);
    in<QCheckBox>(dialog, "chkLinkingDomains").setChecked(true);
    in<QPushButton>(dialog, "cmdStart").click();
    EXPECT_TRUE(dialog.isReading());
    ASSERT_TRUE(eventually([&] { return !dialog.isReading(); }));
    EXPECT_EQ(status(dialog), u"cc-main-2026-apr-may-jun: 2 of 3 domains are in the web graph."_s);

    ASSERT_EQ(grid().Cols(), 10);
    EXPECT_EQ(graphTexts(0), (QStringList{u"Linking Domains"_s, u"Web Rank"_s}));
    EXPECT_EQ(graphTexts(1), (QStringList{u"4"_s, u"1"_s}));
    EXPECT_EQ(graphTexts(2), (QStringList{u""_s, u"not in the graph"_s}));
    EXPECT_EQ(graphTexts(3), (QStringList{u"2"_s, u"2"_s}));
    EXPECT_EQ(cell(1, 1), u"15"_s); // the total stays the counts'
    const auto tip = [this](int row, int col) {
        return grid().model()->index(row - 1, col).data(Qt::ToolTipRole).toString();
    };
    EXPECT_EQ(tip(1, 8), u"example.com: position 1 of 6, top 17 % by harmonic centrality (cc-main-2026-apr-may-jun)"_s);
    EXPECT_EQ(tip(3, 7), u"2 other domains link to example.co.uk (cc-main-2026-apr-may-jun)"_s);
    EXPECT_EQ(tip(2, 8), u"absent.net is not in the web graph (cc-main-2026-apr-may-jun)"_s);
    EXPECT_EQ(listFile(), listed);

    // The domain's history draws its linking domains at the week of the release's latest crawl, CC-MAIN-2026-26.
    window().showHistory(3);
    HistoryView* view = nullptr;
    ASSERT_TRUE(eventually([&] { return (view = window().findChild<HistoryView*>()); }));
    QLineSeries* linking = nullptr;
    for (QAbstractSeries* series : view->chart().series()) {
        if (series->name() == u"Linking Domains"_s)
            linking = static_cast<QLineSeries*>(series);
    }
    ASSERT_TRUE(linking);
    const QPointF week26(double(QDateTime(QDate(2026, 6, 22), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch()), 2);
    EXPECT_EQ(linking->points(), QList<QPointF>{week26});
    EXPECT_EQ(view->pointTip(week26), u"cc-main-2026-apr-may-jun: 2 linking domains, web rank 2 (example.co.uk)"_s);
    view->close();

    // Read already: nothing is downloaded again.
    const int requests = m_server.requestCount();
    in<QPushButton>(dialog, "cmdStart").click();
    EXPECT_EQ(status(dialog), u"Every domain has the figures of cc-main-2026-apr-may-jun already."_s);
    EXPECT_EQ(m_server.requestCount(), requests);
    dialog.close();

    // The next start shows them from the history.
    m_program.reset();
    start(listed);
    EXPECT_EQ(grid().Cols(), 10);
    EXPECT_EQ(graphTexts(3), (QStringList{u"2"_s, u"2"_s}));
}

TEST_F(WebGraphWindowTest, ACancelledReadingGoesOnAtTheNextStart)
{
    graphfixture::serve(m_server);
    const QByteArray edges = gzipped(graphfixture::edges(graphfixture::Newest));
    const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(edges.size()) + "\r\n\r\n";
    const QByteArray edgesPath = graphfixture::path(graphfixture::Newest, "edges");
    m_server.answer(edgesPath, {ServerReply::stallAfter(head + edges.first(10)), ServerReply::file(edges)});
    start(listed);
    WebGraphDialog& dialog = openDialog();
    ASSERT_TRUE(eventually([&] { return in<QComboBox>(dialog, "cboRelease").count() == 2; }));
    in<QCheckBox>(dialog, "chkLinkingDomains").setChecked(true);
    in<QPushButton>(dialog, "cmdStart").click();
    ASSERT_TRUE(
        eventually([&] { return in<QLabel>(dialog, "lblWebGraphProgress").text().startsWith(u"edges: 10 bytes"_s); }));
    in<QPushButton>(dialog, "cmdCancel").click();
    ASSERT_TRUE(eventually([&] { return !dialog.isReading(); }));
    EXPECT_EQ(status(dialog),
              u"Cancelled: nothing of cc-main-2026-apr-may-jun was kept yet; Start goes on from where it "
              u"stopped."_s);
    EXPECT_EQ(grid().Cols(), 8);

    // Closed and opened again, the dialog goes on with the edges from their eleventh byte.
    dialog.close();
    WebGraphDialog& again = openDialog();
    EXPECT_EQ(&again, &dialog);
    in<QPushButton>(again, "cmdStart").click();
    ASSERT_TRUE(eventually([&] { return !again.isReading(); }));
    EXPECT_EQ(status(again), u"cc-main-2026-apr-may-jun: 2 of 3 domains are in the web graph."_s);
    EXPECT_EQ(m_server.requestCount(graphfixture::path(graphfixture::Newest, "ranks")), 1);
    EXPECT_EQ(m_server.requestCount(edgesPath), 2);
    EXPECT_TRUE(m_server.requests().last().contains("\r\nRange: bytes=10-\r\n"));
    EXPECT_EQ(graphTexts(1), (QStringList{u"4"_s, u"1"_s}));
}

TEST_F(WebGraphWindowTest, AReleaseThatCannotBeReadKeepsNothingAndAFolderIsReadToo)
{
    graphfixture::serve(m_server);
    const QByteArray ranks = gzipped(graphfixture::ranks(graphfixture::Newest));
    m_server.answer(graphfixture::path(graphfixture::Newest, "ranks"),
                    ServerReply::file(ranks.first(ranks.size() - 9)));
    start(listed);
    WebGraphDialog& dialog = openDialog();
    ASSERT_TRUE(eventually([&] { return in<QComboBox>(dialog, "cboRelease").count() == 2; }));
    in<QPushButton>(dialog, "cmdStart").click();
    ASSERT_TRUE(eventually([&] { return !dialog.isReading(); }));
    EXPECT_TRUE(status(dialog).endsWith(u"; nothing of cc-main-2026-apr-may-jun was kept."_s))
        << status(dialog).toStdString();
    EXPECT_EQ(grid().Cols(), 8);

    QTemporaryDir folder;
    ASSERT_TRUE(graphfixture::writeTo(folder.path()));
    dialog.useFolder(folder.path());
    QComboBox& releases = in<QComboBox>(dialog, "cboRelease");
    ASSERT_EQ(releases.count(), 2);
    releases.setCurrentIndex(releases.findText(QString::fromLatin1(graphfixture::Older)));
    in<QPushButton>(dialog, "cmdStart").click();
    ASSERT_TRUE(eventually([&] { return !dialog.isReading(); }));
    EXPECT_EQ(status(dialog), u"cc-main-2026-jan-feb-mar: 1 of 3 domains are in the web graph."_s);
    EXPECT_EQ(graphTexts(1), (QStringList{u""_s, u"7"_s}));
    EXPECT_EQ(graphTexts(3), (QStringList{u""_s, u"not in the graph"_s}));
}

} // namespace
