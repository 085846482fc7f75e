#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// A time as a person reads it in a history: the locale's short date and time, with the year in four digits and
// the seconds, so that no two runs a few seconds or a century apart read alike ("12/8/2026 5:40:07 PM").
QString historyTimeFormat(const QLocale& locale);
QString historyTimeText(const QLocale& locale, const QDateTime& time);
