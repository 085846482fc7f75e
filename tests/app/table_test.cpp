#include "windowfixture.h"
#include "workflows/listsession.h"

#include <QApplication>
#include <QClipboard>

using namespace Qt::StringLiterals;

namespace {

const QByteArray threeDomains = "a.com|AllTheWeb=5|AltaVista=0|Google=0|HotBot=0|MSN=0|\r\n"
                                "B.com|AllTheWeb=1,500|AltaVista=0|Google=0|HotBot=0|MSN=0\r\n"
                                "c.com|AllTheWeb=40|AltaVista=0|Google=0|HotBot=0|MSN=0|\r\n";

QStringList captions(const QMenu& menu)
{
    QStringList texts;
    for (const QAction* action : menu.actions()) {
        if (action->isVisible())
            texts.append(action->isSeparator() ? u"-"_s : action->text());
    }
    return texts;
}

TEST_F(WindowTest, SortListByReordersTheListThatExitSaves)
{
    start(threeDomains);
    QMenu& sort = control<QMenu>("mnuFileSort");
    EXPECT_EQ(sort.title(), u"&Sort List By"_s);
    Q_EMIT sort.aboutToShow();
    EXPECT_EQ(captions(sort), (QStringList{u"Domain"_s, u"Total"_s, u"AllTheWeb"_s, u"AltaVista"_s, u"Google"_s,
                                           u"HotBot"_s, u"MSN"_s, u"-"_s, u"&Ascending"_s, u"D&escending"_s}));
    EXPECT_TRUE(action("mnuSortAscending").isChecked());

    action("mnuSortDescending").trigger();
    action("mnuSortBy2").trigger();
    EXPECT_EQ(cell(1, 0), u"B.com"_s);
    EXPECT_EQ(cell(2, 0), u"c.com"_s);
    EXPECT_EQ(cell(3, 0), u"a.com"_s);
    action("mnuSortAscending").trigger();
    action("mnuSortBy0").trigger();
    EXPECT_EQ(rowTexts(2), (QStringList{u"B.com"_s, u"1,500"_s, u"1,500"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s}));
    action("mnuSortDescending").trigger();
    action("mnuSortBy2").trigger();
    action("mnuFileExit").trigger();
    EXPECT_EQ(listFile(), "B.com|AllTheWeb=1,500|AltaVista=0|Google=0|HotBot=0|MSN=0\r\n"
                          "c.com|AllTheWeb=40|AltaVista=0|Google=0|HotBot=0|MSN=0|\r\n"
                          "a.com|AllTheWeb=5|AltaVista=0|Google=0|HotBot=0|MSN=0|\r\n");
}

TEST_F(WindowTest, TheWebGraphColumnsSortOnceTheGridShowsThem)
{
    start(threeDomains);
    const auto rank = [](qint64 position) {
        LatestGraphFigures latest;
        latest.figures.found = true;
        latest.figures.harmonicRank = position;
        latest.figures.linkingDomains = 1000 - position;
        return latest;
    };
    m_program->session().grid().setGraphFigures({{"a.com", rank(30)}, {"c.com", rank(2)}});
    QMenu& sort = control<QMenu>("mnuFileSort");
    Q_EMIT sort.aboutToShow();
    EXPECT_EQ(captions(sort).mid(6, 3), (QStringList{u"MSN"_s, u"Linking Domains"_s, u"Web Rank"_s}));
    action("mnuSortBy8").trigger();
    EXPECT_EQ(cell(1, 0), u"c.com"_s);
    EXPECT_EQ(cell(2, 0), u"a.com"_s);
    EXPECT_EQ(cell(3, 0), u"B.com"_s);
    EXPECT_EQ(cell(1, 8), u"2"_s);
    action("mnuSortDescending").trigger();
    action("mnuSortBy7").trigger();
    EXPECT_EQ(cell(1, 0), u"c.com"_s);
    EXPECT_EQ(cell(1, 7), u"998"_s);
}

TEST_F(WindowTest, NoSortDuringAnUpdateRun)
{
    const QByteArray first = linkQueries("a.com")[0];
    m_server.answer(first, ServerReply::silence());
    start(threeDomains);
    bool unavailable = false;
    whenever([&] { return m_server.requestCount(first) == 1; },
             [&] {
                 unavailable = !control<QMenu>("mnuFileSort").menuAction()->isEnabled();
                 action("mnuSortBy2").trigger();
                 button("cmdCancelUpdate").click();
             });
    button("cmdUpdate0").click();
    EXPECT_TRUE(unavailable);
    EXPECT_EQ(cell(1, 0), u"a.com"_s);
    EXPECT_EQ(cell(2, 0), u"B.com"_s);
    EXPECT_TRUE(control<QMenu>("mnuFileSort").menuAction()->isEnabled());
    action("mnuSortBy2").trigger();
    EXPECT_EQ(cell(2, 0), u"c.com"_s);
    EXPECT_EQ(cell(3, 0), u"B.com"_s);
}

TEST_F(WindowTest, AShiftPressOnADomainSelectsTheRangeAndStillOpensItsMenu)
{
    start(threeDomains);
    grid().setFocus();
    grid().makeCurrent(1, 1);
    const QRect pressed = grid().visualRect(grid().model()->index(2, 2));
    QTest::mousePress(grid().viewport(), Qt::LeftButton, Qt::ShiftModifier, pressed.center());
    QTest::mouseRelease(grid().viewport(), Qt::LeftButton, Qt::ShiftModifier, pressed.center());
    ASSERT_EQ(m_popups.size(), 1);
    EXPECT_EQ(m_popups[0].first(), u"View Domain : c.com"_s);
    EXPECT_EQ(window().PopupRow(), 3);
    EXPECT_EQ(window().PopupCol(), 2);

    QApplication::clipboard()->clear();
    QTest::keyClick(&grid(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), u"Total\tAllTheWeb\n5\t5\n1,500\t1,500\n40\t40\n"_s);
}

} // namespace
