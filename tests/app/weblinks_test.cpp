#include "app/weblinks.h"
#include "windowfixture.h"

#include <QApplication>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

TEST(OpenWebPage, OpensThePageOfAnExactKey)
{
    RecordingBrowser browser;
    for (const QString& key : {u"Tarvin Home"_s, u"APP Home"_s, u"Requirements"_s, u"Downloads"_s, u"Updates"_s,
                               u"FAQ"_s, u"updates"_s, u"Home"_s, QString()})
        OpenWebPage(browser, key);
    EXPECT_EQ(browser.addresses,
              (QStringList{u"http://www.brenlow.com/"_s, u"http://www.brenlow.com/"_s,
                           u"http://www.brenlow.com/requirements.html"_s, u"http://www.brenlow.com/downloads.html"_s,
                           u"http://www.brenlow.com/updates.html"_s, u"http://www.brenlow.com/faq.html"_s}));
}

TEST_F(WindowTest, ButtonsAndMenuItemsOpenTheirPages)
{
    start("a.com|\r\n");
    action("mnuWebPagesHome").trigger();
    action("mnuFileGetUpdate").trigger();
    button("cmdPopularityMean").click();
    button("cmdFindPageRanking").click();
    button("cmdDownload").click();
    EXPECT_EQ(m_browser.addresses,
              (QStringList{u"http://www.brenlow.com/"_s, u"http://www.brenlow.com/updates.html"_s,
                           u"http://www.brenlow.com/link-popularity.html"_s, u"http://www.brenlow.com/rankfinder/"_s,
                           u"ftp://ftp.brenlow.com/pub/rankfinder/rankfinder-setup.tar.gz"_s}));
    EXPECT_EQ(button("cmdDownload").text(), u"&Download Rank Finder"_s);
}

TEST_F(WindowTest, PopUpItemsOpenTheDomainAndItsResultPages)
{
    start("http://d.com|AllTheWeb=1|\r\na.org|\r\n");
    const QPoint first = grid().visualRect(grid().model()->index(0, 2)).center();
    const QList<QAction*> items{&action("mnuGridMenuViewDomain"), &action("mnuGridMenuView" + std::to_string(2)),
                                &action("mnuGridMenuView" + std::to_string(1)),
                                &action("mnuGridMenuView" + std::to_string(0))};
    for (QAction* item : items) {
        m_choice = item;
        press(*grid().viewport(), first);
    }
    EXPECT_EQ(m_browser.addresses,
              (QStringList{u"http://d.com"_s, u"http://www.google.com/search?as_lq=d.com"_s,
                           u"http://www.altavista.com/sites/search/web?q=link%3Ad.com+-url%3Ad.com"_s,
                           u"http://www.alltheweb.com/search?cat=web&lang=any&query=link.all%3Ad.com"_s}));

    // After a press outside the list, "View Domain" opens nothing.
    m_browser.addresses.clear();
    const QPoint blank = grid().visualRect(grid().model()->index(4, 0)).center();
    press(*grid().viewport(), blank, Qt::RightButton, false);
    action("mnuGridMenuViewDomain").trigger();
    EXPECT_TRUE(m_browser.addresses.isEmpty());
}

} // namespace
