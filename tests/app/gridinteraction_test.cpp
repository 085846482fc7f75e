#include "support/lists.h"
#include "windowfixture.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

class GridInteractionTest : public WindowTest {
protected:
    QRect cellRect(int row, int col) { return grid().visualRect(grid().model()->index(row - 1, col)); }

    // No release when a real pop-up menu would take it.
    void pressCell(int row, int col, Qt::MouseButton button = Qt::RightButton, bool release = true)
    {
        press(*grid().viewport(), cellRect(row, col).center(), button, release);
    }

    QStringList menuFor(const QString& domain)
    {
        return {u"View Domain : "_s + domain,
                u"Update This Domain Only\tShift+F5"_s,
                u"Remove This Domain\tDel"_s,
                u"History\u2026\tCtrl+H"_s,
                u"-"_s,
                u"View Results From : AllTheWeb"_s,
                u"View Results From : AltaVista"_s,
                u"View Results From : Google"_s,
                u"View Results From : HotBot"_s,
                u"View Results From : MSN"_s};
    }
};

TEST_F(GridInteractionTest, APressOnADomainOpensItsMenuWhateverTheButton)
{
    start(domainsList(3));
    pressCell(2, 3, Qt::RightButton);
    pressCell(2, 0, Qt::LeftButton);
    pressCell(2, 6, Qt::MiddleButton);
    EXPECT_EQ(m_popups, (QList<QStringList>{menuFor(u"d2.com"_s), menuFor(u"d2.com"_s), menuFor(u"d2.com"_s)}));
    EXPECT_EQ(window().PopupRow(), 2);
    EXPECT_EQ(window().PopupCol(), 6);

    // A blank row below the list opens nothing, yet the press is recorded.
    pressCell(5, 1);
    EXPECT_EQ(m_popups.size(), 3);
    EXPECT_EQ(window().PopupRow(), 5);
    EXPECT_EQ(window().PopupCol(), 1);
}

TEST_F(GridInteractionTest, APressOnTheHeaderRowActsOnTheFirstDomain)
{
    m_server.serveDomain("d1.com", {10, 20, 30, 40, 50});
    start(domainsList(3));
    QHeaderView* header = grid().horizontalHeader();
    const QPoint overGoogle(header->sectionViewportPosition(4) + header->sectionSize(4) / 2, header->height() / 2);
    m_choice = &action("mnuGridMenuUpdate");
    press(*header, overGoogle);

    EXPECT_EQ(m_popups, QList<QStringList>{menuFor(u"d1.com"_s)});
    EXPECT_EQ(window().PopupRow(), 1);
    EXPECT_EQ(window().PopupCol(), 4);
    EXPECT_EQ(m_server.requestCount(), 5);
    EXPECT_EQ(cell(1, 1), u"150"_s);
}

TEST_F(GridInteractionTest, APressOnEitherSideOfAnEdgeFindsTheCellDrawnThere)
{
    // Counts of ten digits make the columns wider than the window as wide as its design, so the grid also scrolls
    // sideways. Every cell holds a count: a press on an empty one would make the first domain current.
    QByteArray list = "big.com|AllTheWeb=2,147,483,647|AltaVista=2,147,483,647|Google=2,147,483,647|"
                      "HotBot=2,147,483,647|MSN=2,147,483,647|\r\n";
    for (int i = 1; i <= 40; ++i)
        list += "d" + QByteArray::number(i) + ".com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n";
    start(list);
    window().resize(650, window().height());
    grid().verticalScrollBar()->setValue(19); // row 20 is the first data row in view
    ASSERT_FALSE(grid().RowIsVisible(19));
    pressCell(20, 0);
    EXPECT_EQ(m_popups, QList<QStringList>{menuFor(u"d19.com"_s)});

    QScrollBar& sideways = *grid().horizontalScrollBar();
    ASSERT_GT(sideways.maximum(), 0);
    // Scrolled to the end either way, the first row or column in view is drawn in part only.
    const int down = grid().verticalScrollBar()->maximum();
    for (const QPoint scrolled : {QPoint(0, 0), QPoint(0, 19), QPoint(1, 19), QPoint(sideways.maximum(), down)}) {
        sideways.setValue(scrolled.x());
        grid().verticalScrollBar()->setValue(scrolled.y());
        // The second row and column in view, with their grid lines, from the first pixel drawn to the last.
        const int row = grid().rowAt(0) + 2;
        const int col = grid().columnAt(0) + 1;
        const QRect cell(grid().columnViewportPosition(col), grid().rowViewportPosition(row - 1),
                         grid().columnWidth(col), grid().rowHeight(row - 1));
        const struct {
            QPoint point;
            int row;
            int col;
        } cases[] = {
            {cell.topLeft(), row, col},
            {cell.bottomRight(), row, col},
            {cell.topLeft() - QPoint(1, 1), row - 1, col - 1},
            {cell.bottomRight() + QPoint(1, 1), row + 1, col + 1},
        };
        for (const auto& c : cases) {
            press(*grid().viewport(), c.point);
            const auto where = ::testing::Message()
                               << scrolled.x() << "," << scrolled.y() << ": " << c.point.x() << "," << c.point.y();
            EXPECT_EQ(window().PopupRow(), c.row) << where;
            EXPECT_EQ(window().PopupCol(), c.col) << where;
        }
    }
}

TEST_F(GridInteractionTest, AClickOnAnEmptyCellReturnsToTheFirstDomain)
{
    start(domainsList(3));
    const struct {
        int row;
        int col;
        int currentRow;
        int currentCol;
    } cases[] = {
        {2, 1, 2, 1},  // a total
        {3, 0, 3, 0},  // a domain
        {2, 4, 1, 0},  // an empty count cell
        {2, 7, 1, 0},  // the filler column
        {10, 0, 1, 0}, // a blank row
    };
    for (const auto& c : cases) {
        grid().makeCurrent(3, 3);
        pressCell(c.row, c.col, Qt::LeftButton);
        EXPECT_EQ(grid().Row(), c.currentRow) << c.row << "," << c.col;
        EXPECT_EQ(grid().Col(), c.currentCol) << c.row << "," << c.col;
    }
}

TEST_F(GridInteractionTest, RemoveThisDomainActsOnThePressedCell)
{
    start(domainsList(4));
    m_choice = &action("mnuGridMenuRemove");
    m_dialogs.answers = {UserDialogs::Answer::No};
    pressCell(3, 4, Qt::RightButton, false);
    EXPECT_EQ(m_dialogs.shown, QStringList{u"yesnocancel|Remove Domain|Remove domain d3.com?"_s});
    EXPECT_EQ(grid().Row(), 3);
    EXPECT_EQ(grid().Col(), 4);
    EXPECT_EQ(m_program->session().domains().count(), 4);

    m_choice = &action("mnuGridMenuRemove");
    m_dialogs.answers = {UserDialogs::Answer::Yes};
    pressCell(3, 4, Qt::RightButton, false);
    EXPECT_EQ(m_program->session().domains().count(), 3);
    EXPECT_EQ(cell(3, 0), u"d4.com"_s);
}

} // namespace
