#include "engine/timetext.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(HistoryTimeText, GivesTheLocalesShortFormWithAFullYearAndSeconds)
{
    // Local time: CTest runs the tests in UTC.
    const QDateTime time(QDate(1999, 1, 1), QTime(0, 0, 7), Qt::LocalTime);
    const std::pair<QLocale, QString> cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), u"1/1/1999 12:00:07 AM"_s},
        {QLocale(QLocale::German, QLocale::Germany), u"01.01.1999 00:00:07"_s},
        {QLocale(QLocale::Swedish, QLocale::Sweden), u"1999-01-01 00:00:07"_s},
        {QLocale(QLocale::English, QLocale::UnitedKingdom), u"01/01/1999 00:00:07"_s},
    };
    for (const auto& [locale, text] : cases)
        EXPECT_EQ(historyTimeText(locale, time), text) << locale.name().toStdString();
}

} // namespace
