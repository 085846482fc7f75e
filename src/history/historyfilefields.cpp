#include "history/historyfilefields.h"

#include "domains/domaintext.h"
#include "engine/counttext.h"
#include "engine/enginecatalogue.h"
#include "history/historyfile.h"
#include "history/historyschema.h"

#include <cstdio>

using namespace Qt::StringLiterals;

namespace historyfile {

namespace {

// A run's identity as Brenlow makes them (a UUID) or as a file may bring them: printable ASCII, no separators.
bool isIdentity(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 100)
        return false;
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return c > ' ' && c < 0x7f && c != '"' && c != ',' && c != '\\'; });
}

// The digits of a field of fixed width (a part of a time, a status), as a number.
std::optional<int> digits(QByteArrayView text)
{
    const std::optional<qint64> value = wholeNumber(text, 9999);
    return value ? std::optional(int(*value)) : std::nullopt;
}

std::optional<int> engineFrom(QByteArrayView name)
{
    const auto engines = engineDefinitions();
    for (std::size_t i = 0; i < engines.size(); ++i) {
        if (engines[i].name == QLatin1StringView(name))
            return int(i);
    }
    return std::nullopt;
}

QString text(QByteArrayView bytes)
{
    return QString::fromUtf8(bytes);
}

// The detail of a failure, checked against its kind: a status and a reason of printable text for an error
// status, the two lengths for a short body (what came being shorter), nothing for the others.
bool detailFits(FetchFailure kind, QByteArrayView detail)
{
    if (kind == FetchFailure::ErrorStatus) {
        if (detail.size() < 3 || !digits(detail.first(3)) || (detail.size() > 3 && detail[3] != ' '))
            return false;
        const QString reason = text(detail.sliced(std::min<qsizetype>(4, detail.size())));
        return std::none_of(reason.cbegin(), reason.cend(),
                            [](QChar c) { return c.category() == QChar::Other_Control; });
    }
    if (kind == FetchFailure::ShortBody) {
        const qsizetype space = detail.indexOf(' ');
        const std::optional<qint64> length = wholeNumber(detail.first(std::max<qsizetype>(space, 0)), 1LL << 62);
        const std::optional<qint64> came = wholeNumber(detail.sliced(space + 1), 1LL << 62);
        return space > 0 && length && came && *came < *length;
    }
    return detail.isEmpty();
}

} // namespace

std::optional<qint64> wholeNumber(QByteArrayView text, qint64 largest)
{
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    qint64 value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value <= largest ? std::optional(value) : std::nullopt;
}

QString frontEndName(FrontEnd frontEnd)
{
    return frontEnd == FrontEnd::CommandLine ? u"command-line"_s : u"window"_s;
}

std::optional<FrontEnd> frontEndFrom(QByteArrayView name)
{
    if (name == "window")
        return FrontEnd::Window;
    if (name == "command-line")
        return FrontEnd::CommandLine;
    return std::nullopt;
}

QByteArray timeBytes(const QDateTime& time)
{
    if (!time.isValid())
        return {};
    const qint64 ms = time.toMSecsSinceEpoch();
    const qint64 msOfDay = ((ms % 86400000) + 86400000) % 86400000;
    const QDate date = QDate(1970, 1, 1).addDays((ms - msOfDay) / 86400000);
    char bytes[32];
    const int length =
        std::snprintf(bytes, sizeof bytes, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", date.year(), date.month(), date.day(),
                      int(msOfDay / 3600000), int(msOfDay / 60000 % 60), int(msOfDay / 1000 % 60), int(msOfDay % 1000));
    return QByteArray(bytes, length);
}

std::optional<QDateTime> timeFrom(QByteArrayView text)
{
    // The form an export writes, read by hand; any other time in UTC that ISO 8601 allows, through Qt.
    if (text.size() == 24 && text[4] == '-' && text[7] == '-' && text[10] == 'T' && text[13] == ':' &&
        text[16] == ':' && text[19] == '.' && text[23] == 'Z') {
        const auto year = digits(text.first(4));
        const auto month = digits(text.sliced(5, 2));
        const auto day = digits(text.sliced(8, 2));
        const auto hour = digits(text.sliced(11, 2));
        const auto minute = digits(text.sliced(14, 2));
        const auto second = digits(text.sliced(17, 2));
        const auto ms = digits(text.sliced(20, 3));
        if (!year || !month || !day || !hour || !minute || !second || !ms || *hour > 23 || *minute > 59 || *second > 59)
            return std::nullopt;
        const QDate date(*year, *month, *day);
        if (!date.isValid())
            return std::nullopt;
        const qint64 days = date.toJulianDay() - QDate(1970, 1, 1).toJulianDay();
        return history::utcFromMs(days * 86400000 + ((*hour * 60 + *minute) * 60 + *second) * 1000LL + *ms);
    }
    const QDateTime time = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODateWithMs);
    if (!time.isValid() || time.timeSpec() != Qt::UTC)
        return std::nullopt;
    return time;
}

std::optional<HistoryRun> parseRun(QByteArrayView identity, QByteArrayView started, QByteArrayView ended,
                                   QByteArrayView frontEnd, QByteArrayView cancelled, QString& error)
{
    HistoryRun run;
    const std::optional<QDateTime> start = timeFrom(started);
    const std::optional<QDateTime> end = ended.isEmpty() ? std::optional(QDateTime()) : timeFrom(ended);
    const std::optional<FrontEnd> front = frontEndFrom(frontEnd);
    if (!start || !end) {
        error = u"not a time in UTC: %1"_s.arg(text(!start ? started : ended));
        return std::nullopt;
    }
    if (end->isValid() && *end < *start) {
        error = u"the run ends (%1) before it starts (%2)"_s.arg(text(ended), text(started));
        return std::nullopt;
    }
    if (!identity.isEmpty() && !isIdentity(identity)) {
        error = u"not a run's identity: %1"_s.arg(text(identity));
        return std::nullopt;
    }
    if (!front) {
        error = u"no such front end: %1"_s.arg(text(frontEnd));
        return std::nullopt;
    }
    if (cancelled != "true" && cancelled != "false") {
        error = u"cancelled is neither true nor false: %1"_s.arg(text(cancelled));
        return std::nullopt;
    }
    run.identity =
        identity.isEmpty() ? history::legacyRunIdentity(history::msSinceEpoch(*start)) : QString::fromLatin1(identity);
    run.started = *start;
    run.ended = *end;
    run.frontEnd = *front;
    run.cancelled = cancelled == "true";
    return run;
}

std::optional<ParsedFetch> parseFetch(QByteArrayView domain, QByteArrayView engine, QByteArrayView at,
                                      QByteArrayView count, QByteArrayView failure, QByteArrayView detail,
                                      QByteArrayView kept, QString& error)
{
    ParsedFetch parsed;
    const std::optional<QByteArray> bytes = historyDomainBytes(text(domain));
    if (!bytes || bytes->isEmpty() || holdsUnstorableByte(*bytes)) {
        error = u"not a domain that a list can hold: %1"_s.arg(text(domain));
        return std::nullopt;
    }
    const std::optional<int> index = engineFrom(engine);
    if (!index) {
        error = u"no such engine: %1"_s.arg(text(engine));
        return std::nullopt;
    }
    const std::optional<QDateTime> time = timeFrom(at);
    if (!time) {
        error = u"not a time in UTC: %1"_s.arg(text(at));
        return std::nullopt;
    }
    parsed.domain = *bytes;
    parsed.engine = *index;
    parsed.fetch.at = *time;
    if (!count.isEmpty() && (!failure.isEmpty() || !detail.isEmpty() || !kept.isEmpty())) {
        error = u"both a count and a failure: %1 %2 %3 %4"_s.arg(text(count), text(failure), text(detail), text(kept))
                    .simplified();
        return std::nullopt;
    }
    if (!count.isEmpty()) {
        parsed.fetch.count = wholeNumber(count, CountText::MaxLinkCount);
        if (!parsed.fetch.count) {
            error = u"not a count from 0 to 999999999999999: %1"_s.arg(text(count));
            return std::nullopt;
        }
        return parsed;
    }
    if (failure.isEmpty()) {
        error = u"neither a count nor a failure"_s;
        return std::nullopt;
    }
    const std::optional<FetchFailure> kind = failureKindFromName(text(failure));
    if (!kind || *kind == FetchFailure::None) {
        error = u"no such failure: %1"_s.arg(text(failure));
        return std::nullopt;
    }
    const std::optional<FailureDetail> reason = failureFromText(text(failure), text(detail));
    if (!reason || !detailFits(*kind, detail)) {
        error = u"not a detail of the failure %1: %2"_s.arg(text(failure), text(detail));
        return std::nullopt;
    }
    parsed.fetch.failure = *reason;
    if (!kept.isEmpty()) {
        parsed.fetch.kept = wholeNumber(kept, CountText::MaxLinkCount);
        if (!parsed.fetch.kept) {
            error = u"not a kept count from 0 to 999999999999999: %1"_s.arg(text(kept));
            return std::nullopt;
        }
    }
    return parsed;
}

} // namespace historyfile
