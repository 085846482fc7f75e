#include "domains/domainlist.h"
#include "engine/counttext.h"
#include "engine/enginecatalogue.h"
#include "grid/domaingrid.h"
#include "grid/gridwidget.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

class DomainGridTest : public ::testing::Test {
protected:
    DomainGridTest()
    {
        m_engines.InitGridHeaders();
        m_engines.InitEngineCatalogue();
        setGridWidthTwips(9000);
    }

    void setGridWidthTwips(int twips)
    {
        m_widget.resize(static_cast<int>(std::lround(twips / m_widget.twipsPerPixelX())), 358);
    }

    void setDomains(const QList<QByteArray>& records)
    {
        m_list.clear();
        for (const QByteArray& record : records)
            m_list.append(record);
    }

    QColor foreground(int row, int col) const
    {
        return m_widget.cellData(row, col, Qt::ForegroundRole).value<QBrush>().color();
    }
    QColor background(int row, int col) const
    {
        return m_widget.cellData(row, col, Qt::BackgroundRole).value<QBrush>().color();
    }
    bool underlined(int row, int col) const
    {
        return m_widget.cellData(row, col, Qt::FontRole).value<QFont>().underline();
    }
    bool styled(int row, int col) const
    {
        return m_widget.cellData(row, col, Qt::ForegroundRole).isValid() ||
               m_widget.cellData(row, col, Qt::BackgroundRole).isValid() ||
               m_widget.cellData(row, col, Qt::FontRole).isValid();
    }

    QList<QString> rowTexts(int row) const
    {
        QList<QString> texts;
        for (int col = 0; col < m_widget.Cols(); ++col)
            texts.append(m_widget.TextMatrix(row, col));
        return texts;
    }

    EngineTables m_engines;
    CountText m_countText{QLocale(QLocale::English, QLocale::UnitedStates)};
    DomainList m_list{QString()};
    GridWidget m_widget;
    DomainGrid m_grid{m_widget, m_list, m_engines, m_countText};
};

TEST_F(DomainGridTest, LaysOutColumnsFromTheGridsWidth)
{
    ASSERT_EQ(m_widget.Width(), 9000);
    m_grid.SetupUrlsGrid();
    m_grid.ResizeGrid();
    const int widths[] = {2000, 1000, 1000, 1000, 1000, 1000, 1000, 1000};
    for (int col = 0; col < 8; ++col)
        EXPECT_EQ(m_widget.ColWidth(col), widths[col]) << col;
    EXPECT_EQ(rowTexts(0), (QList<QString>{u"Domain"_s, u"Total"_s, u"AllTheWeb"_s, u"AltaVista"_s, u"Google"_s,
                                           u"HotBot"_s, u"MSN"_s, QString()}));

    // Narrower than columns 0 to 6: nothing changes. Wider: only the filler grows, the same at every call.
    setGridWidthTwips(7500);
    m_grid.ResizeGrid();
    EXPECT_EQ(m_widget.ColWidth(7), 1000);
    setGridWidthTwips(10500);
    m_grid.ResizeGrid();
    m_grid.ResizeGrid();
    EXPECT_EQ(m_widget.ColWidth(7), 2500);
    EXPECT_EQ(m_widget.ColWidth(0), 2000);
}

TEST_F(DomainGridTest, KeepsTwoBlankRowsAfterTheDomains)
{
    const struct {
        int domains;
        int rows;
    } cases[] = {{0, 30}, {27, 30}, {28, 31}, {40, 43}};
    for (const auto& c : cases) {
        GridWidget widget;
        DomainGrid grid(widget, m_list, m_engines, m_countText);
        setDomains({});
        for (int i = 0; i < c.domains; ++i)
            m_list.append(QByteArray::number(i) + ".com|");
        grid.SetupUrlsGrid();
        EXPECT_EQ(widget.Rows(), c.rows) << c.domains;
        EXPECT_EQ(widget.TextMatrix(c.domains, 0),
                  c.domains ? QString::number(c.domains - 1) + u".com"_s : u"Domain"_s);
        EXPECT_TRUE(widget.TextMatrix(c.domains + 1, 0).isEmpty());
    }
}

TEST_F(DomainGridTest, EmptyListLeavesEveryCellUnstyled)
{
    m_grid.SetupUrlsGrid();
    m_grid.DisplayUrlsData();
    EXPECT_EQ(m_widget.Rows(), 30);
    for (int row = 1; row < m_widget.Rows(); ++row) {
        for (int col = 0; col < m_widget.Cols(); ++col)
            EXPECT_FALSE(styled(row, col)) << row << "," << col;
    }
}

TEST_F(DomainGridTest, ShowsStoredCountsAndRecomputesTotals)
{
    setDomains({"http://a.com|AllTheWeb=1,234|AltaVista=0|Google=56|HotBot=0|MSN=7|",
                "b.com|AllTheWeb=|AltaVista=5|Google=12.5|HotBot=abc|MSN=1,000,000|", "c.com"});
    m_grid.SetupUrlsGrid();
    m_grid.DisplayUrlsData();

    EXPECT_EQ(rowTexts(1), (QList<QString>{u"a.com"_s, u"1,297"_s, u"1,234"_s, u"0"_s, u"56"_s, u"0"_s, u"7"_s, {}}));
    // Stored as found: an empty field stays empty, a count that is not a whole number adds nothing.
    EXPECT_EQ(rowTexts(2),
              (QList<QString>{u"b.com"_s, u"1,000,005"_s, {}, u"5"_s, u"12.5"_s, u"abc"_s, u"1,000,000"_s, {}}));
    EXPECT_EQ(rowTexts(3), (QList<QString>{u"c.com"_s, u"0"_s, {}, {}, {}, {}, {}, {}}));

    for (int row = 1; row <= 3; ++row) {
        EXPECT_EQ(foreground(row, 0), QColor(0, 0, 255));
        EXPECT_TRUE(underlined(row, 0));
        EXPECT_FALSE(underlined(row, 1));
        for (int col = 0; col <= 6; ++col)
            EXPECT_EQ(background(row, col), QColor(Qt::white)) << row << "," << col;
        EXPECT_FALSE(styled(row, 7));
    }
    EXPECT_FALSE(styled(4, 0));
}

TEST_F(DomainGridTest, CaptureStoresCellsAsShownAndFillsEmptyOnes)
{
    setDomains({"a.com|", "b.com|"});
    m_grid.SetupUrlsGrid();
    const QString cells[] = {u"1,234"_s, u"0"_s, u"56"_s, u"0"_s, u"7"_s};
    for (int i = 0; i < 5; ++i)
        m_widget.setTextMatrix(1, i + 2, cells[i]);
    m_widget.setTextMatrix(2, 1, u"999"_s); // the total is not stored

    m_grid.CaptureUrlsData();
    EXPECT_EQ(m_list.entry(1), "a.com|AllTheWeb=1,234|AltaVista=0|Google=56|HotBot=0|MSN=7|");
    EXPECT_EQ(m_list.entry(2), "b.com|AllTheWeb=0|AltaVista=0|Google=0|HotBot=0|MSN=0|");
    EXPECT_EQ(rowTexts(2), (QList<QString>{u"b.com"_s, u"999"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, {}}));

    // Capture and display reproduce the cells exactly and recompute the total.
    m_grid.SetupUrlsGrid();
    m_grid.DisplayUrlsData();
    EXPECT_EQ(rowTexts(1), (QList<QString>{u"a.com"_s, u"1,297"_s, u"1,234"_s, u"0"_s, u"56"_s, u"0"_s, u"7"_s, {}}));
    EXPECT_EQ(m_widget.TextMatrix(2, 1), u"0"_s);
}

TEST_F(DomainGridTest, FindEngineInGridSearchesTheDomainColumn)
{
    setDomains({"a.com|", "b.com|", "Mixed.Org|", "d.com|"});
    m_grid.SetupUrlsGrid();
    const struct {
        QString name;
        int row;
        int firstBlankRow;
    } cases[] = {
        {u"new.com"_s, -1, 5}, {u"mixed.org"_s, 3, -1}, {u"MIXED.ORG"_s, 3, -1},
        {u" a.com"_s, -1, 5},  {u"a.com "_s, -1, 5},    {u"d.com"_s, 4, -1},
    };
    for (const auto& c : cases) {
        int firstBlankRow = 42;
        EXPECT_EQ(m_grid.FindEngineInGrid(c.name, firstBlankRow), c.row) << c.name.toStdString();
        EXPECT_EQ(firstBlankRow, c.firstBlankRow) << c.name.toStdString();
    }

    // A blank row before the match is reported; a full grid has none.
    m_widget.setTextMatrix(2, 0, QString());
    int firstBlankRow = 0;
    EXPECT_EQ(m_grid.FindEngineInGrid(u"d.com"_s, firstBlankRow), 4);
    EXPECT_EQ(firstBlankRow, 2);
    for (int row = 1; row < m_widget.Rows(); ++row)
        m_widget.setTextMatrix(row, 0, u"x"_s);
    EXPECT_EQ(m_grid.FindEngineInGrid(u"new.com"_s, firstBlankRow), -1);
    EXPECT_EQ(firstBlankRow, -1);
}

TEST_F(DomainGridTest, AddRowFillsABlankRowOrAppendsOne)
{
    setDomains({"a.com|"});
    m_grid.SetupUrlsGrid();
    int row = 2;
    m_grid.AddRow(u"b.com"_s, row);
    EXPECT_EQ(row, 2);
    EXPECT_EQ(m_widget.Rows(), 30);
    EXPECT_EQ(rowTexts(2), (QList<QString>{u"b.com"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, {}}));
    EXPECT_TRUE(underlined(2, 0));

    row = -1;
    m_grid.AddRow(u"c.com"_s, row);
    EXPECT_EQ(row, 30);
    EXPECT_EQ(m_widget.Rows(), 31);
    EXPECT_EQ(rowTexts(30), (QList<QString>{u"c.com"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, {}}));
    EXPECT_EQ(foreground(30, 0), QColor(0, 0, 255));
    EXPECT_FALSE(styled(30, 7));
}

TEST_F(DomainGridTest, RelayoutAfterARemovalLeavesTheFormerLastRowBlank)
{
    setDomains({"a.com|AllTheWeb=1|", "b.com|AllTheWeb=2|", "c.com|AllTheWeb=3|"});
    m_grid.SetupUrlsGrid();
    m_grid.DisplayUrlsData();
    m_list.remove(2);
    m_grid.SetupUrlsGrid();
    m_grid.DisplayUrlsData();
    EXPECT_EQ(m_widget.Rows(), 30);
    EXPECT_EQ(m_widget.TextMatrix(2, 0), u"c.com"_s);
    EXPECT_EQ(m_widget.TextMatrix(2, 2), u"3"_s);
    for (int col = 0; col < 8; ++col) {
        EXPECT_TRUE(m_widget.TextMatrix(3, col).isEmpty()) << col;
        EXPECT_FALSE(styled(3, col)) << col;
    }
}

} // namespace
