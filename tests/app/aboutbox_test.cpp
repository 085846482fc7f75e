#include "app/aboutbox.h"
#include "windowfixture.h"

#include <QApplication>

using namespace Qt::StringLiterals;

namespace {

TEST(VersionText, GivesTwoDigitsForEachNumber)
{
    EXPECT_EQ(VersionText(1, 1, 0), u"01.01"_s);
    EXPECT_EQ(VersionText(1, 1, 3), u"01.01.03"_s);
    EXPECT_EQ(VersionText(12, 5, 0), u"12.05"_s);
    EXPECT_EQ(VersionText(2, 10, 123), u"02.10.123"_s);
}

TEST_F(WindowTest, AboutBoxIsModalOnTopAndShowsTheProduct)
{
    start("");
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<AboutBox*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        seen = true;
        EXPECT_TRUE(about->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_EQ(about->lblProductName().text(), u"Brenlow"_s);
        EXPECT_EQ(about->lblCompanyName().text(), u"Brenlow"_s);
        EXPECT_EQ(about->lblDescription().text(), u"Brenlow Link Popularity Tool"_s);
        EXPECT_EQ(about->lblVersion().text(), u"Version "_s + VersionText());
        EXPECT_FALSE(about->lblCopyright().text().isEmpty());
        EXPECT_FALSE(about->picIcon().pixmap().isNull());
        about->WebLink_Click(0);
        about->cmdOK().click();
    });
    window().mnuHelpAbout().trigger();
    EXPECT_TRUE(seen);
    EXPECT_EQ(m_browser.addresses, QStringList{u"http://www.brenlow.com/"_s});
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
