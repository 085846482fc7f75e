#include "engine/counttext.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QLocale english(QLocale::English, QLocale::UnitedStates);
const QLocale german(QLocale::German, QLocale::Germany);
const QLocale french(QLocale::French, QLocale::France);
const QLocale swiss(QLocale::German, QLocale::Switzerland);

TEST(CountText, FormatsDigitGroupsWithTheLocalesSeparator)
{
    const struct {
        qint64 value;
        QString english;
        QString german;
        QString french;
        QString swiss;
    } cases[] = {
        {0, u"0"_s, u"0"_s, u"0"_s, u"0"_s},
        {1000, u"1,000"_s, u"1.000"_s, u"1\u202F000"_s, u"1’000"_s},
        {12345, u"12,345"_s, u"12.345"_s, u"12\u202F345"_s, u"12’345"_s},
        {3000000000, u"3,000,000,000"_s, u"3.000.000.000"_s, u"3\u202F000\u202F000\u202F000"_s, u"3’000’000’000"_s},
        // Five counts at their largest: the largest total.
        {4999999999999995, u"4,999,999,999,999,995"_s, u"4.999.999.999.999.995"_s,
         u"4\u202F999\u202F999\u202F999\u202F999\u202F995"_s, u"4’999’999’999’999’995"_s},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CountText(english).format(c.value), c.english) << c.value;
        EXPECT_EQ(CountText(german).format(c.value), c.german) << c.value;
        EXPECT_EQ(CountText(french).format(c.value), c.french) << c.value;
        EXPECT_EQ(CountText(swiss).format(c.value), c.swiss) << c.value;
    }
}

TEST(CountText, ReadsAPagesCountTheEnglishWayWithinTheRangeOfALinkCount)
{
    const struct {
        QByteArray text;
        std::optional<qint64> value;
    } cases[] = {
        {"0", 0},
        {"12,345", 12345},
        {"1234567", 1234567},
        {"3,000,000,000", 3000000000},
        {"999,999,999,999,999", 999999999999999},
        {"1,000,000,000,000,000", std::nullopt},
        {"1000000000000000", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"1.5", 2},
        {"2.5", 2},
        {"0.5", 0},
        {"2.51", 3},
        {"1,000.5", 1000},
        {"999,999,999,999,998.5", 999999999999998},
        {"999,999,999,999,999.5", std::nullopt}, // rounds beyond the range
        {"-5", std::nullopt},
        {"+7", std::nullopt},
        {"1,2,3,4", std::nullopt},
        {"12,34", std::nullopt},
        {"1,2345", std::nullopt},
        {"1234,567", std::nullopt},
        {",123", std::nullopt},
        {"123,", std::nullopt},
        {"12,,345", std::nullopt},
        {"", std::nullopt},
        {"1.", std::nullopt},
        {".5", std::nullopt},
        {"1,000.5,0", std::nullopt},
        {"12 345", std::nullopt},
        {"12 pages", std::nullopt},
        {"\xd9\xa1\xd9\xa2", std::nullopt}, // digits of another script
    };
    for (const auto& c : cases)
        EXPECT_EQ(CountText::parsePageCount(c.text), c.value) << c.text.toStdString();
}

TEST(CountText, ReadsACountOfTheListFileWhateverLocaleWroteIt)
{
    const struct {
        QByteArray text;
        std::optional<qint64> value;
    } cases[] = {
        {"0", 0},
        {"1234", 1234},
        {"1,234", 1234},
        {"1.234", 1234},
        {"1'234", 1234},
        {"1\xE2\x80\x99"
         "234",
         1234},
        {"1 234", 1234},
        {"1\xC2\xA0"
         "234",
         1234},
        {"1\xE2\x80\xAF"
         "234",
         1234},
        {"1\xD9\xAC"
         "234\xD9\xAC"
         "567",
         1234567}, // U+066C, Arabic scripts
        {"1\xE2\xB9\x81"
         "234",
         1234}, // U+2E41
        {"999\xE2\x80\x99"
         "999\xE2\x80\x99"
         "999\xE2\x80\x99"
         "999\xE2\x80\x99"
         "999",
         999999999999999},
        {"1.000.000.000.000.000", std::nullopt},
        {"1,5", std::nullopt},
        {"12,34", std::nullopt},
        {"1,234.5", std::nullopt},
        {"1,,234", std::nullopt},
        {",123", std::nullopt},
        {"123,", std::nullopt},
        {"-5", std::nullopt},
        {"", std::nullopt},
        {"n/a", std::nullopt},
        {"1_234", std::nullopt},
        {"1\xD9"
         "234",
         std::nullopt},                     // half of a mark
        {"\xd9\xa1\xd9\xa2", std::nullopt}, // digits of another script
    };
    for (const auto& c : cases)
        EXPECT_EQ(CountText::parseFileCount(c.text), c.value) << c.text.toHex().toStdString();
}

TEST(CountText, WritesTheListFilesFormWhateverTheLocaleShows)
{
    const struct {
        qint64 value;
        QByteArray file;
    } cases[] = {
        {0, "0"},
        {999, "999"},
        {1000, "1,000"},
        {123456, "123,456"},
        {1234567, "1,234,567"},
        {999999999999999, "999,999,999,999,999"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CountText::fileForm(c.value), c.file);
    // Every locale's form reads back as the number it shows.
    for (const QLocale& locale : {english, german, french, swiss, QLocale(QLocale::Arabic, QLocale::Egypt),
                                  QLocale(QLocale::Persian, QLocale::Iran)}) {
        const QString shown = CountText(locale).format(1234567);
        EXPECT_EQ(CountText::parseFileCount(shown.toUtf8()), 1234567) << locale.name().toStdString();
    }
}

} // namespace
