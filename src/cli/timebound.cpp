#include "cli/timebound.h"

#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Every instant whose local time is the date and time given: none in the gap when the clocks go forward, two in
// the hour that they go back, one otherwise. Earliest first.
QList<QDateTime> localInstants(QDate date, QTime time)
{
    const QDateTime guess(date, time, Qt::LocalTime);
    const auto matches = [&](const QDateTime& instant) {
        const QDateTime local = instant.toLocalTime();
        return local.date() == date && local.time() == time;
    };
    QList<QDateTime> instants;
    if (!guess.isValid())
        return instants;
    // The offsets half a day on either side tell how far the clocks moved in between, if at all.
    const QDateTime utc = guess.toUTC();
    const int shift = std::abs(utc.addSecs(12 * 3600).toLocalTime().offsetFromUtc() -
                               utc.addSecs(-12 * 3600).toLocalTime().offsetFromUtc());
    for (const int seconds : {-shift, 0, shift}) {
        const QDateTime instant = utc.addSecs(seconds);
        if (matches(instant) && (instants.isEmpty() || instants.constLast() != instant))
            instants.append(instant);
        if (shift == 0)
            break;
    }
    std::sort(instants.begin(), instants.end());
    return instants;
}

} // namespace

TimeBound timeBound(const QString& text, bool until)
{
    const QDate day = QDate::fromString(text, Qt::ISODate);
    if (text.size() == 10 && day.isValid())
        return {until ? day.endOfDay() : day.startOfDay()};
    const QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    static const QRegularExpression zoned(u"(Z|[+-]\\d\\d(:?\\d\\d)?)$"_s);
    if (text.size() > 10 && zoned.match(text.sliced(10)).hasMatch())
        return {time.isValid() ? TimeBound{time} : TimeBound{TimeBound::Problem::NotATime}};
    // Local time: its date and time read as they are written, then placed on the local clock.
    const QDateTime written = QDateTime::fromString(text + u'Z', Qt::ISODateWithMs);
    if (text.size() <= 10 || !written.isValid())
        return {TimeBound::Problem::NotATime};
    const QList<QDateTime> instants = localInstants(written.date(), written.time());
    if (instants.isEmpty())
        return {TimeBound::Problem::NoSuchLocal};
    return {until ? instants.constLast().toLocalTime() : instants.constFirst().toLocalTime()};
}
