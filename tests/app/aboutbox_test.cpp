#include "app/aboutbox.h"
#include "support/modaldialog.h"
#include "windowfixture.h"

#include <QLabel>
#include <QPushButton>

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
    onModalDialog<AboutBox>(
        [&](AboutBox& about) {
            const auto text = [&](const char* name) {
                const QLabel* label = about.findChild<QLabel*>(QString::fromLatin1(name));
                return label ? label->text() : u"<none>"_s;
            };
            EXPECT_TRUE(about.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            EXPECT_EQ(about.windowTitle(), u"About Brenlow"_s);
            EXPECT_EQ(text("lblProductName"), u"Brenlow"_s);
            EXPECT_EQ(text("lblCompanyName"), u"Brenlow"_s);
            EXPECT_EQ(text("lblDescription"), u"Brenlow Link Popularity Tool"_s);
            EXPECT_EQ(text("lblVersion"), u"Version 01.04"_s);
            EXPECT_EQ(text("lblCopyright"), u"Copyright (C) 2026 The Brenlow developers"_s);
            const QLabel* icon = about.findChild<QLabel*>(u"picIcon"_s);
            ASSERT_NE(icon, nullptr);
            EXPECT_FALSE(icon->pixmap().isNull());
            about.WebLink_Click(0);
            about.findChild<QPushButton*>(u"cmdOK"_s)->click();
        },
        seen);
    action("mnuHelpAbout").trigger();
    EXPECT_TRUE(seen);
    EXPECT_EQ(m_browser.addresses, QStringList{u"http://www.brenlow.com/"_s});
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
