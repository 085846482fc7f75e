#include "grid/rowsort.h"
#include "gridfixture.h"
#include "support/qtprinters.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The grid widget showing a list of its own, on screen, so that keys and clicks select as the user makes them.
class GridTableTest : public GridFixture {
protected:
    void show(const QList<QByteArray>& records)
    {
        display(records);
        m_widget.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_widget));
    }

    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(&m_widget, key, modifiers);
    }
    void click(int row, int col, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QRect cell = m_widget.visualRect(m_widget.model()->index(row - 1, col));
        QTest::mouseClick(m_widget.viewport(), Qt::LeftButton, modifiers, cell.center());
    }
    // The selection as "rows x columns", each a list.
    std::pair<QList<int>, QList<int>> selected() const
    {
        const GridWidget::CellRange cells = m_widget.selectedCells();
        return {cells.rows, cells.cols};
    }
    QString copied()
    {
        QApplication::clipboard()->clear();
        key(Qt::Key_C, Qt::ControlModifier);
        return QApplication::clipboard()->text();
    }
};

TEST_F(GridTableTest, SortOrdersByTextOrNumberWithEmptyCellsLastAndTiesInPlace)
{
    show({"b.com|AllTheWeb=5|AltaVista=1|Google=|HotBot=x|MSN=1|",
          "A.com|AllTheWeb=10|AltaVista=1|Google=3|HotBot=2|MSN=1|",
          " |AllTheWeb=7|AltaVista=1|Google=2|HotBot=1|MSN=1|",
          "c.com|AllTheWeb=5|AltaVista=1|Google=1|HotBot=1|MSN=1|",
          "a.org|AllTheWeb=1.000|AltaVista=1|Google=3|HotBot=9|MSN=1|"});
    const struct {
        int col;
        Qt::SortOrder order;
        QList<int> rows;
    } cases[] = {
        {0, Qt::AscendingOrder, {2, 5, 1, 4, 3}},  {0, Qt::DescendingOrder, {4, 1, 5, 2, 3}},
        {1, Qt::AscendingOrder, {1, 4, 3, 2, 5}},  {1, Qt::DescendingOrder, {5, 2, 3, 4, 1}},
        {2, Qt::AscendingOrder, {1, 4, 3, 2, 5}},  {2, Qt::DescendingOrder, {5, 2, 3, 1, 4}},
        {3, Qt::DescendingOrder, {1, 2, 3, 4, 5}}, {4, Qt::AscendingOrder, {4, 3, 2, 5, 1}},
        {4, Qt::DescendingOrder, {2, 5, 3, 4, 1}}, {5, Qt::AscendingOrder, {3, 4, 2, 5, 1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sortedRows(m_grid, c.col, c.order), c.rows) << c.col << " " << c.order;
}

TEST_F(GridTableTest, SortByTheWebGraphColumnsPutsDomainsWithoutFiguresLast)
{
    show({"a.com|", "b.com|", "c.com|", "d.com|"});
    const auto figures = [](bool found, qint64 rank, std::optional<qint64> linking) {
        LatestGraphFigures latest;
        latest.figures.found = found;
        latest.figures.harmonicRank = rank;
        latest.figures.linkingDomains = linking;
        return latest;
    };
    m_grid.setGraphFigures({{"a.com", figures(true, 300, 40)},
                            {"b.com", figures(false, 0, std::nullopt)},
                            {"c.com", figures(true, 20, std::nullopt)},
                            {"d.com", figures(true, 100, 900)}});
    ASSERT_EQ(m_grid.linkingDomainsColumn(), 7);
    EXPECT_EQ(sortedRows(m_grid, 7, Qt::DescendingOrder), (QList<int>{4, 1, 2, 3}));
    EXPECT_EQ(sortedRows(m_grid, 8, Qt::AscendingOrder), (QList<int>{3, 4, 1, 2}));
    EXPECT_EQ(sortedRows(m_grid, 8, Qt::DescendingOrder), (QList<int>{1, 4, 3, 2}));
}

TEST_F(GridTableTest, ShiftArrowsShiftClickAndCtrlASelectRanges)
{
    show({"a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|", "b.com|", "c.com|", "d.com|"});
    m_widget.makeCurrent(1, 2);
    EXPECT_EQ(selected(), (std::pair{QList<int>{1}, QList<int>{2}}));
    key(Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(selected(), (std::pair{QList<int>{1, 2, 3}, QList<int>{2, 3}}));
    EXPECT_EQ(m_widget.Row(), 3);
    EXPECT_EQ(m_widget.Col(), 3);

    // Shift+click grows the range from where it started; a plain arrow or click, or a move by the program,
    // leaves the one cell.
    click(4, 0, Qt::ShiftModifier);
    EXPECT_EQ(selected(), (std::pair{QList<int>{1, 2, 3, 4}, QList<int>{0, 1, 2}}));
    key(Qt::Key_Up);
    EXPECT_EQ(selected(), (std::pair{QList<int>{3}, QList<int>{0}}));
    click(2, 5, Qt::ShiftModifier);
    EXPECT_EQ(selected(), (std::pair{QList<int>{2, 3}, QList<int>{0, 1, 2, 3, 4, 5}}));
    click(1, 1);
    EXPECT_EQ(selected(), (std::pair{QList<int>{1}, QList<int>{1}}));
    key(Qt::Key_Down, Qt::ShiftModifier);
    m_widget.makeCurrent(4, 4);
    EXPECT_EQ(selected(), (std::pair{QList<int>{4}, QList<int>{4}}));
    key(Qt::Key_PageUp, Qt::ShiftModifier);
    EXPECT_EQ(selected(), (std::pair{QList<int>{1, 2, 3, 4}, QList<int>{4}}));

    // Everything listed: the blank rows below the list and the filler stay out of it.
    key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(selected(), (std::pair{QList<int>{1, 2, 3, 4}, QList<int>{0, 1, 2, 3, 4, 5, 6}}));
    key(Qt::Key_Down);
    click(6, 2);
    EXPECT_EQ(selected(), (std::pair{QList<int>{}, QList<int>{}}));
}

TEST_F(GridTableTest, CtrlCCopiesTheSelectionWithItsCaptionsAsShown)
{
    show({"a.com|AllTheWeb=1234|AltaVista=2|Google=3|HotBot=4|MSN=5|",
          "b\xfc.de|AllTheWeb=1.000.000|AltaVista=|Google=x y|HotBot=0|MSN=1",
          "tab\there.com|AllTheWeb=7|AltaVista=7|Google=7|HotBot=7|MSN=7|"});
    m_widget.makeCurrent(2, 0);
    EXPECT_EQ(copied(), u"Domain\nb\uFFFD.de\n"_s);
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(copied(), u"Domain\tTotal\tAllTheWeb\tAltaVista\n"
                        u"a.com\t1,248\t1,234\t2\n"
                        u"b\uFFFD.de\t1,000,001\t1,000,000\t\n"_s);
    key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(copied(), u"Domain\tTotal\tAllTheWeb\tAltaVista\tGoogle\tHotBot\tMSN\n"
                        u"a.com\t1,248\t1,234\t2\t3\t4\t5\n"
                        u"b\uFFFD.de\t1,000,001\t1,000,000\t\tx y\t0\t1\n"
                        u"tab here.com\t35\t7\t7\t7\t7\t7\n"_s);

    // A blank row below the list copies nothing.
    m_widget.makeCurrent(5, 1);
    EXPECT_EQ(copied(), QString());
}

} // namespace
