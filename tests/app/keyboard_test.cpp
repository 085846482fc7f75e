#include "support/lists.h"
#include "windowfixture.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QScrollBar>

using namespace Qt::StringLiterals;

namespace {

class KeyboardTest : public WindowTest {
protected:
    void startActive(const QByteArray& listFile)
    {
        start(listFile);
        window().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    }

    // A key pressed where the focus is, as the user presses it.
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }

    QString focused() const
    {
        const QWidget* widget = QApplication::focusWidget();
        return widget ? widget->objectName() : u"<none>"_s;
    }
    QString lastDialog() const
    {
        return m_dialogs.shown.isEmpty() ? QString() : m_dialogs.shown.last().section(u'|', 0, 1);
    }
};

} // namespace

TEST_F(KeyboardTest, TabMovesBetweenTheControlsAndTheArrowsWithinTheGrid)
{
    startActive(domainsList(3));
    EXPECT_EQ(focused(), u"grdUrls"_s);
    // The grid is one stop; hidden controls (Cancel, the find bar) are none.
    const QStringList forward = {u"cmdFindPageRanking"_s, u"cmdDownload"_s, u"cmdPopularityMean"_s,
                                 u"cmdUpdate0"_s,         u"cmdUpdate1"_s,  u"cmdAddDomain"_s,
                                 u"cmdRemoveDomain"_s,    u"cmdExit"_s,     u"grdUrls"_s};
    QStringList visited;
    for (int k = 0; k < forward.size(); ++k) {
        key(Qt::Key_Tab);
        visited.append(focused());
    }
    EXPECT_EQ(visited, forward);
    key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), u"cmdExit"_s);
    key(Qt::Key_Tab);

    // Within the grid the arrow keys move the current cell.
    grid().makeCurrent(1, 0);
    key(Qt::Key_Down);
    key(Qt::Key_Right);
    EXPECT_EQ(grid().Row(), 2);
    EXPECT_EQ(grid().Col(), 1);
    EXPECT_EQ(focused(), u"grdUrls"_s);

    // The find field is a stop while its bar is open.
    key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(focused(), u"txtFind"_s);
    key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), u"grdUrls"_s);
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);
    EXPECT_EQ(focused(), u"cmdFindPageRanking"_s);
}

TEST_F(KeyboardTest, KeysDoWhatTheirButtonsAndMenuItemsDo)
{
    m_server.serveDomain("a.com", {1, 2, 3, 4, 5});
    m_server.serveDomain("b.com", {10, 20, 30, 40, 50});
    startActive("a.com|\r\nb.com|\r\n");

    // Shift+F5 updates the current domain only, F5 every domain.
    grid().makeCurrent(2, 0);
    key(Qt::Key_F5, Qt::ShiftModifier);
    EXPECT_EQ(cell(1, 1), u"0"_s);
    EXPECT_EQ(cell(2, 1), u"150"_s);
    key(Qt::Key_F5);
    EXPECT_EQ(cell(1, 1), u"15"_s);
    EXPECT_EQ(m_server.requestCount(), 15);

    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QString dialog;
    } dialogKeys[] = {
        {Qt::Key_Insert, Qt::NoModifier, u"prompt|Add Domain"_s},
        {Qt::Key_Delete, Qt::NoModifier, u"yesnocancel|Remove Domain"_s},
        {Qt::Key_I, Qt::ControlModifier, u"open|Import Urls"_s},
    };
    for (const auto& k : dialogKeys) {
        m_dialogs.shown.clear();
        grid().setFocus();
        key(k.key, k.modifiers);
        EXPECT_EQ(lastDialog(), k.dialog) << QKeySequence(k.key | k.modifiers).toString().toStdString();
    }
    EXPECT_EQ(m_program->session().domains().count(), 2); // every dialog was cancelled

    // Ctrl+Q is Exit.
    key(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(window().isVisible());
    EXPECT_EQ(listFile(), "a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n"
                          "b.com|AllTheWeb=10|AltaVista=20|Google=30|HotBot=40|MSN=50|\r\n");
}

TEST_F(KeyboardTest, EscapeCancelsARunAndF5DoesNothingDuringIt)
{
    m_server.serveDomain("a.com", {100, 200, 300, 400, 500});
    m_server.answer(linkQueries("a.com")[1], ServerReply::silence());
    startActive("a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n");
    whenever([&] { return m_server.requestCount() == 2; },
             [&] {
                 key(Qt::Key_F5);
                 key(Qt::Key_Escape);
             });
    key(Qt::Key_F5);
    EXPECT_EQ(m_server.requestCount(), 2);
    EXPECT_EQ(rowTexts(1), (QStringList{u"a.com"_s, u"114"_s, u"100"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s}));
    EXPECT_TRUE(window().isVisible());
}

TEST_F(KeyboardTest, TheMenuKeyAndShiftF10OpenTheMenuOfTheCurrentRowAtItsCell)
{
    startActive(domainsList(40));
    grid().makeCurrent(30, 3);
    grid().verticalScrollBar()->setValue(0); // scrolled away from it: the menu scrolls it back into view
    ASSERT_FALSE(grid().RowIsVisible(30));

    // The window system turns the Menu key into a keyboard context menu event for the focused widget.
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QCursor::pos());
    QApplication::sendEvent(&grid(), &menuKey);
    key(Qt::Key_F10, Qt::ShiftModifier);
    key(Qt::Key_F10); // F10 alone opens nothing
    ASSERT_EQ(m_popups.size(), 2);
    EXPECT_EQ(m_popups.first().first(), u"View Domain : d30.com"_s);
    EXPECT_EQ(window().PopupRow(), 30);
    EXPECT_EQ(window().PopupCol(), 3);
    EXPECT_TRUE(grid().RowIsVisible(30));
    const QRect shown = grid().visualRect(grid().model()->index(29, 3));
    EXPECT_EQ(m_popupPositions.at(0), grid().viewport()->mapToGlobal(shown.bottomLeft()));
    EXPECT_EQ(m_popupPositions.at(1), m_popupPositions.at(0));

    // Its items act on that row.
    m_dialogs.answers = {UserDialogs::Answer::Yes};
    m_choice = &action("mnuGridMenuRemove");
    key(Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(m_program->session().domains().count(), 39);
    EXPECT_EQ(cell(30, 0), u"d31.com"_s);
}

TEST_F(KeyboardTest, FindMovesTheCurrentCellToDomainsThatContainTheText)
{
    const QByteArray list = "alpha.com" + zeroCounts + "\r\nbeta.org" + zeroCounts + "\r\ngamma.net" + zeroCounts +
                            "\r\nALPHABET.io" + zeroCounts + "\r\n";
    startActive(list);
    grid().makeCurrent(3, 2);
    key(Qt::Key_F, Qt::ControlModifier);
    QLineEdit& field = control<QLineEdit>("txtFind");
    ASSERT_TRUE(field.isVisible());
    EXPECT_EQ(focused(), u"txtFind"_s);
    EXPECT_LT(grid().geometry().bottom(), control<QWidget>("findBar").geometry().top());

    // Typing finds the first domain containing the text, in any letter case.
    QTest::keyClicks(&field, u"ALP"_s);
    EXPECT_EQ(grid().Row(), 1);
    EXPECT_EQ(grid().Col(), 0);
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int row;
    } steps[] = {
        {Qt::Key_Return, Qt::NoModifier, 4}, {Qt::Key_Enter, Qt::NoModifier, 1}, {Qt::Key_F3, Qt::NoModifier, 4},
        {Qt::Key_F3, Qt::ShiftModifier, 1},  {Qt::Key_F3, Qt::ShiftModifier, 4},
    };
    for (const auto& step : steps) {
        key(step.key, step.modifiers);
        EXPECT_EQ(grid().Row(), step.row) << QKeySequence(step.key | step.modifiers).toString().toStdString();
    }
    // F3 goes on from the grid too, while the bar is open.
    grid().setFocus();
    key(Qt::Key_F3);
    EXPECT_EQ(grid().Row(), 1);

    // Text in no domain says so and leaves the current cell.
    field.setFocus();
    QTest::keyClicks(&field, u"x"_s);
    EXPECT_EQ(grid().Row(), 1);
    EXPECT_EQ(label("lblFindResult").text(), u"Not found"_s);

    // Escape closes the bar, gives the grid back its place and the focus; the list is as it was.
    const int gridBottom = control<QWidget>("findBar").geometry().bottom();
    key(Qt::Key_Escape);
    EXPECT_FALSE(control<QWidget>("findBar").isVisible());
    EXPECT_EQ(focused(), u"grdUrls"_s);
    EXPECT_TRUE(eventually([&] { return grid().geometry().bottom() >= gridBottom; }, 5000));
    EXPECT_TRUE(window().isVisible());
    key(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(listFile(), list);
}
