#include "engine/bytetext.h"
#include "gridfixture.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

class DomainGridTest : public GridFixture {
protected:
    void show(const QList<QByteArray>& records) { display(records); }

    QString row(int row) const
    {
        QStringList texts;
        for (int col = 0; col < m_widget.Cols(); ++col)
            texts.append(m_widget.TextMatrix(row, col));
        return texts.join(u'|');
    }

    // "u" underlined, "b" blue text, "w" white background, in that order; empty for the default style.
    QString style(int row, int col) const
    {
        QString codes;
        if (m_widget.cellData(row, col, Qt::FontRole).value<QFont>().underline())
            codes += u'u';
        if (m_widget.cellData(row, col, Qt::ForegroundRole).value<QBrush>().color() == QColor(0, 0, 255))
            codes += u'b';
        if (m_widget.cellData(row, col, Qt::BackgroundRole).value<QBrush>().color() == QColor(Qt::white))
            codes += u'w';
        return codes;
    }
};

TEST_F(DomainGridTest, LaysOutColumnsFromTheWidthAndKeepsTwoBlankRows)
{
    ASSERT_EQ(m_widget.Width(), 13500);
    show({});
    m_grid.ResizeGrid();
    const int widths[] = {3000, 1500, 1500, 1500, 1500, 1500, 1500, 1500};
    for (int col = 0; col < 8; ++col)
        EXPECT_EQ(m_widget.ColWidth(col), widths[col]) << col;
    EXPECT_EQ(row(0), u"Domain|Total|AllTheWeb|AltaVista|Google|HotBot|MSN|"_s);
    EXPECT_EQ(m_widget.Rows(), 30);
    EXPECT_EQ(style(1, 0), QString());

    // Narrower than columns 0 to 6: nothing changes. Wider: only the filler grows, the same at every call.
    m_widget.resize(750, 358); // 11,250 twips
    m_grid.ResizeGrid();
    EXPECT_EQ(m_widget.ColWidth(7), 1500);
    m_widget.resize(1050, 358); // 15,750 twips
    m_grid.ResizeGrid();
    m_grid.ResizeGrid();
    EXPECT_EQ(m_widget.ColWidth(7), 3750);
    EXPECT_EQ(m_widget.ColWidth(0), 3000);

    for (const auto& [domains, rows] : {std::pair{27, 30}, std::pair{28, 31}, std::pair{40, 43}}) {
        QList<QByteArray> records;
        for (int i = 0; i < domains; ++i)
            records.append(QByteArray::number(i) + ".com|");
        show(records);
        EXPECT_EQ(m_widget.Rows(), rows) << domains;
        EXPECT_TRUE(m_widget.TextMatrix(domains + 1, 0).isEmpty());
    }
}

TEST_F(DomainGridTest, ShowsStoredCountsAndCapturesTheCellsAsShown)
{
    show({"http://a.com|AllTheWeb=1,234|AltaVista=0|Google=56|HotBot=0|MSN=7|",
          "b.com|AllTheWeb=|AltaVista=5|Google=12.5|HotBot=abc|MSN=1,000,000|", "c.com|",
          "caf\xe9.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|",
          "max.com|AllTheWeb=2,147,483,647|AltaVista=2,147,483,647|Google=2,147,483,647|HotBot=2,147,483,647|"
          "MSN=2,147,483,647|"});
    EXPECT_EQ(row(1), u"a.com|1,297|1,234|0|56|0|7|"_s);
    // Stored as found: an empty field stays empty, a count that is not a whole number adds nothing.
    EXPECT_EQ(row(2), u"b.com|1,000,005||5|12.5|abc|1,000,000|"_s);
    EXPECT_EQ(row(3), u"c.com|0||||||"_s);
    EXPECT_EQ(m_widget.TextMatrix(5, 1), u"10,737,418,235"_s);
    EXPECT_EQ(style(3, 0), u"ubw"_s);
    EXPECT_EQ(style(3, 6), u"w"_s);
    EXPECT_EQ(style(3, 7), QString());

    // Empty engine cells are stored, and shown from then on, as "0"; the total is not stored. A record whose
    // counts did not change stays as it stands; a changed one keeps the bytes of its domain.
    m_grid.setCount(4, 0, 9000);
    EXPECT_EQ(row(4), textFromBytes("caf\xe9.com") + u"|9,014|9,000|2|3|4|5|"_s);
    m_grid.CaptureUrlsData();
    EXPECT_EQ(m_list.entry(1), "http://a.com|AllTheWeb=1,234|AltaVista=0|Google=56|HotBot=0|MSN=7|");
    EXPECT_EQ(m_list.entry(3), "c.com|AllTheWeb=0|AltaVista=0|Google=0|HotBot=0|MSN=0|");
    EXPECT_EQ(m_list.entry(4), "caf\xe9.com|AllTheWeb=9,000|AltaVista=2|Google=3|HotBot=4|MSN=5|");
    EXPECT_EQ(row(3), u"c.com|0|0|0|0|0|0|"_s);

    // Laid out again after a removal: the cells come back as captured, the former last row is blank.
    m_list.remove(2);
    m_grid.SetupUrlsGrid();
    m_grid.DisplayUrlsData();
    EXPECT_EQ(row(1), u"a.com|1,297|1,234|0|56|0|7|"_s);
    EXPECT_EQ(row(2), u"c.com|0|0|0|0|0|0|"_s);
    EXPECT_EQ(row(3), textFromBytes("caf\xe9.com") + u"|9,014|9,000|2|3|4|5|"_s);
    EXPECT_EQ(row(5), u"|||||||"_s);
    EXPECT_EQ(style(5, 0), QString());
    EXPECT_EQ(m_widget.Rows(), 30);
}

TEST_F(DomainGridTest, FindEngineInGridSearchesTheDomainColumn)
{
    show({"a.com|", "b.com|", "Mixed.Org|", "d.com|"});
    const struct {
        QString name;
        int row;
        int firstBlankRow;
    } cases[] = {
        {u"new.com"_s, -1, 5}, {u"MIXED.org"_s, 3, -1}, {u" a.com"_s, -1, 5}, {u"a.com "_s, -1, 5}, {u"d.com"_s, 4, -1},
    };
    for (const auto& c : cases) {
        int firstBlankRow = 42;
        EXPECT_EQ(m_grid.FindEngineInGrid(c.name, firstBlankRow), c.row) << c.name.toStdString();
        EXPECT_EQ(firstBlankRow, c.firstBlankRow) << c.name.toStdString();
    }
    // A blank row before the match is reported.
    show({"a.com|", "", "Mixed.Org|", "d.com|"});
    int firstBlankRow = 0;
    EXPECT_EQ(m_grid.FindEngineInGrid(u"d.com"_s, firstBlankRow), 4);
    EXPECT_EQ(firstBlankRow, 2);
}

TEST(DomainGridLocale, ShowsKeptAndFreshCountsAlikeInTheUsersLocale)
{
    // A list written under English, then under German, then under an Arabic script: every count shows in the
    // user's form, and a count found now looks like one kept.
    EngineTables engines;
    engines.InitGridHeaders();
    const struct {
        QLocale locale;
        QString row;
    } cases[] = {
        {QLocale(QLocale::German, QLocale::Germany), u"a.com|2.004.468|1.234|1.000.000|3.234|1.000.000|0|"_s},
        {QLocale(QLocale::English, QLocale::UnitedStates), u"a.com|2,004,468|1,234|1,000,000|3,234|1,000,000|0|"_s},
        {QLocale(QLocale::French, QLocale::France),
         u"a.com|2\u202F004\u202F468|1\u202F234|1\u202F000\u202F000|3\u202F234|1\u202F000\u202F000|0|"_s},
    };
    for (const auto& c : cases) {
        const CountText countText(c.locale);
        DomainList list(QString{});
        list.append("a.com|AllTheWeb=1,234|AltaVista=1.000.000|Google=3\xD9\xAC"
                    "234|HotBot=0|MSN=0|");
        GridWidget widget;
        DomainGrid grid(&widget, list, engines, countText);
        grid.SetupUrlsGrid();
        grid.DisplayUrlsData();
        grid.setCount(1, 3, 1000000);
        QStringList texts;
        for (int col = 0; col < widget.Cols(); ++col)
            texts.append(widget.TextMatrix(1, col));
        EXPECT_EQ(texts.join(u'|'), c.row) << c.locale.name().toStdString();
        EXPECT_EQ(list.entry(1), "a.com|AllTheWeb=1,234|AltaVista=1,000,000|Google=3,234|HotBot=1,000,000|MSN=0|");
    }
}

} // namespace
