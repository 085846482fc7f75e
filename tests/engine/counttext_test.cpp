#include "engine/counttext.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

const CountText english{QLocale(QLocale::English, QLocale::UnitedStates)};
const CountText german{QLocale(QLocale::German, QLocale::Germany)};

TEST(CountText, FormatsDigitGroupsWithTheLocalesSeparator)
{
    const struct {
        qint64 value;
        QString english;
        QString german;
    } cases[] = {
        {0, u"0"_s, u"0"_s},
        {1000, u"1,000"_s, u"1.000"_s},
        {12345, u"12,345"_s, u"12.345"_s},
        {1234567, u"1,234,567"_s, u"1.234.567"_s},
        {10737418235, u"10,737,418,235"_s, u"10.737.418.235"_s}, // five counts at the 32-bit maximum
    };
    for (const auto& c : cases) {
        EXPECT_EQ(english.format(c.value), c.english) << c.value;
        EXPECT_EQ(german.format(c.value), c.german) << c.value;
    }
}

TEST(CountText, ParsesWholeNumbersGroupsAndRoundedFractions)
{
    const struct {
        QString text;
        std::optional<qint32> value;
    } cases[] = {
        {u"0"_s, 0},
        {u"12,345"_s, 12345},
        {u"1,2,3"_s, 123},
        {u"+7"_s, 7},
        {u"-7"_s, -7},
        {u"1.5"_s, 2},
        {u"2.5"_s, 2},
        {u"0.5"_s, 0},
        {u"2.51"_s, 3},
        {u"2,147,483,647"_s, 2147483647},
        {u"-2147483648"_s, std::numeric_limits<qint32>::min()},
        {u"2147483648"_s, std::nullopt},
        {u"2147483647.5"_s, std::nullopt},
        {u""_s, std::nullopt},
        {u",123"_s, std::nullopt},
        {u"12,,345"_s, std::nullopt},
        {u"12 345"_s, std::nullopt},
        {u"1."_s, std::nullopt},
        {u".5"_s, std::nullopt},
        {u"1,000.5,0"_s, std::nullopt},
        {u"12 pages"_s, std::nullopt},
        {u"\u0661\u0662"_s, std::nullopt}, // digits of another script
    };
    for (const auto& c : cases)
        EXPECT_EQ(english.parse(c.text), c.value) << c.text.toStdString();
}

TEST(CountText, ParsesByTheLocalesSeparators)
{
    EXPECT_EQ(german.parse(u"2.147.483.647"), 2147483647);
    EXPECT_EQ(german.parse(u"1,5"), 2);
    EXPECT_EQ(german.parse(u"12,345"), 12);
}

} // namespace
