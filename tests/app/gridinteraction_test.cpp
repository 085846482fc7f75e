#include "windowfixture.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray domainsList(int count)
{
    QByteArray list;
    for (int i = 1; i <= count; ++i)
        list += "d" + QByteArray::number(i) + ".com|AllTheWeb=" + QByteArray::number(i) + "|AltaVista=0|Google=|\r\n";
    return list;
}

class GridInteractionTest : public WindowTest {
protected:
    QPoint cellCentre(int row, int col) { return grid().visualRect(grid().model()->index(row - 1, col)).center(); }

    // A press and its release; where a real pop-up menu opens, the menu would take the release instead.
    void pressCell(int row, int col, Qt::MouseButton button = Qt::RightButton)
    {
        QTest::mousePress(grid().viewport(), button, {}, cellCentre(row, col));
        QTest::mouseRelease(grid().viewport(), button, {}, cellCentre(row, col));
    }
    void pressCellOpeningMenu(int row, int col)
    {
        QTest::mousePress(grid().viewport(), Qt::RightButton, {}, cellCentre(row, col));
    }

    void clickCell(int row, int col) { QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, cellCentre(row, col)); }

    QStringList menuFor(const QString& domain)
    {
        return {u"View Domain : "_s + domain,
                u"Update This Domain Only"_s,
                u"Remove This Domain"_s,
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
    m_choice = &window().mnuGridMenuUpdate();
    QTest::mousePress(header, Qt::RightButton, {}, overGoogle);
    QTest::mouseRelease(header, Qt::RightButton, {}, overGoogle);

    EXPECT_EQ(m_popups, QList<QStringList>{menuFor(u"d1.com"_s)});
    EXPECT_EQ(window().PopupRow(), 1);
    EXPECT_EQ(window().PopupCol(), 4);
    EXPECT_EQ(m_server.http().requestCount(), 5);
    EXPECT_EQ(cell(1, 1), u"150"_s);
}

TEST_F(GridInteractionTest, APressOnAScrolledGridFindsTheRowDrawnThere)
{
    start(domainsList(40));
    grid().verticalScrollBar()->setValue(19); // row 20 is the first data row in view
    ASSERT_FALSE(grid().RowIsVisible(19));
    ASSERT_TRUE(grid().RowIsVisible(20));
    pressCell(20, 0);
    pressCell(22, 2);
    EXPECT_EQ(m_popups, (QList<QStringList>{menuFor(u"d20.com"_s), menuFor(u"d22.com"_s)}));
    EXPECT_EQ(window().PopupRow(), 22);
    EXPECT_EQ(window().PopupCol(), 2);
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
        clickCell(c.row, c.col);
        EXPECT_EQ(grid().Row(), c.currentRow) << c.row << "," << c.col;
        EXPECT_EQ(grid().Col(), c.currentCol) << c.row << "," << c.col;
    }
}

TEST_F(GridInteractionTest, RemoveThisDomainActsOnThePressedCell)
{
    start(domainsList(4));
    m_choice = &window().mnuGridMenuRemove();
    m_dialogs.answers = {UserDialogs::Answer::No};
    pressCellOpeningMenu(3, 4);
    EXPECT_EQ(m_dialogs.shown, QStringList{u"yesnocancel|Remove Domain|Remove domain d3.com?"_s});
    EXPECT_EQ(grid().Row(), 3);
    EXPECT_EQ(grid().Col(), 4);
    EXPECT_EQ(m_program->domains().count(), 4);

    m_choice = &window().mnuGridMenuRemove();
    m_dialogs.answers = {UserDialogs::Answer::Yes};
    pressCellOpeningMenu(3, 4);
    EXPECT_EQ(m_program->domains().count(), 3);
    EXPECT_EQ(cell(3, 0), u"d4.com"_s);
}

} // namespace
