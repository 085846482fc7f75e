#include "workflows/fetchreport.h"

#include <QLocale>

using namespace Qt::StringLiterals;

void RunSummary::add(const RunSummary& other)
{
    counts += other.counts;
    updated += other.updated;
    failed += other.failed;
    cancelled = cancelled || other.cancelled;
    ended = other.ended;
    failures += other.failures;
}

QString failureReason(const FailureDetail& failure)
{
    switch (failure.kind) {
    case FetchFailure::None:
        break;
    case FetchFailure::RequestRefused:
        return u"the request could not be made"_s;
    case FetchFailure::HostNotFound:
        return u"the engine's host name could not be resolved"_s;
    case FetchFailure::LookupTimedOut:
        return u"the engine's host name could not be looked up in time"_s;
    case FetchFailure::ConnectFailed:
        return u"no connection to the engine could be made"_s;
    case FetchFailure::SendFailed:
        return u"the request could not be sent"_s;
    case FetchFailure::TimedOut:
        return u"the server did not answer in time"_s;
    case FetchFailure::Cancelled:
        return u"the update was cancelled"_s;
    case FetchFailure::ConnectionBroken:
        return u"the connection broke off before the page was complete"_s;
    case FetchFailure::NoAnswer:
        return u"the server closed the connection without an answer"_s;
    case FetchFailure::TooLarge:
        return u"the answer was larger than 16 MiB"_s;
    case FetchFailure::ErrorStatus:
        if (failure.statusText.isEmpty())
            return u"the server answered with status %1"_s.arg(failure.status, 3, 10, QChar(u'0'));
        return u"the server answered %1 %2"_s.arg(failure.status, 3, 10, QChar(u'0'))
            .arg(QString::fromUtf8(failure.statusText));
    case FetchFailure::ShortBody:
        return u"the page was cut short: %1 of its %2 bytes came"_s.arg(failure.bodyLength).arg(failure.contentLength);
    case FetchFailure::NoCount:
        return u"the page states no count"_s;
    }
    return u"it failed"_s;
}

QString runSummaryText(const RunSummary& summary, const QLocale& locale)
{
    const QString time = locale.toString(summary.ended.toLocalTime().time(), QLocale::ShortFormat);
    if (summary.counts == 0)
        return u"Nothing to update at %1: no domain in the rows chosen."_s.arg(time);
    const auto number = [&](int value) { return locale.toString(value); };
    QString text =
        summary.cancelled ? u"Cancelled at %3 after updating %1 of %2 counts"_s : u"Updated %1 of %2 counts at %3"_s;
    text = text.arg(number(summary.updated), number(summary.counts), time);
    if (summary.failed == 1)
        text += u"; 1 could not be updated and keeps its earlier count"_s;
    else if (summary.failed > 1)
        text += u"; %1 could not be updated and keep their earlier counts"_s.arg(number(summary.failed));
    if (summary.cancelled && summary.notAsked() == 1)
        text += u"; 1 was not asked for"_s;
    else if (summary.cancelled && summary.notAsked() > 1)
        text += u"; %1 were not asked for"_s.arg(number(summary.notAsked()));
    return text + u'.';
}
