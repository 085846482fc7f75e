#include "engine/timetext.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

QString historyTimeFormat(const QLocale& locale)
{
    QString format = locale.dateTimeFormat(QLocale::ShortFormat);
    // A year of fewer than four digits ("yy") becomes "yyyy"; a "yyyy" stays as it is.
    static const QRegularExpression shortYear(u"(?<!y)y{1,3}(?!y)"_s);
    format.replace(shortYear, u"yyyy"_s);
    // Seconds after the minutes, unless the format has them.
    static const QRegularExpression minutes(u"(?<!m)mm(?!m)"_s);
    if (!format.contains(u"ss"_s))
        format.replace(minutes, u"mm:ss"_s);
    return format;
}

QString historyTimeText(const QLocale& locale, const QDateTime& time)
{
    return locale.toString(time.toLocalTime(), historyTimeFormat(locale));
}
