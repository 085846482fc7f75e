#include "history/storedfailure.h"

#include <array>

using namespace Qt::StringLiterals;

namespace {

// The names a failure kind is stored under; their order follows FetchFailure.
constexpr std::array<QStringView, 14> failureNames{
    u"",           u"request-refused", u"host-not-found",    u"lookup-timed-out", u"connect-failed", u"send-failed",
    u"timed-out",  u"cancelled",       u"connection-broken", u"no-answer",        u"too-large",      u"error-status",
    u"short-body", u"no-count",
};
static_assert(static_cast<int>(FetchFailure::NoCount) == 13, "a failure kind without a stored name");

} // namespace

QString failureKindName(FetchFailure kind)
{
    return failureNames[static_cast<std::size_t>(kind)].toString();
}

std::optional<FetchFailure> failureKindFromName(QStringView name)
{
    for (std::size_t i = 0; i <= static_cast<std::size_t>(FetchFailure::NoCount); ++i) {
        if (failureNames[i] == name)
            return static_cast<FetchFailure>(i);
    }
    return std::nullopt;
}

QString failureDetailText(const FailureDetail& failure)
{
    switch (failure.kind) {
    case FetchFailure::ErrorStatus:
        return u"%1 %2"_s.arg(failure.status, 3, 10, QChar(u'0')).arg(QString::fromUtf8(failure.statusText));
    case FetchFailure::ShortBody:
        return u"%1 %2"_s.arg(failure.contentLength).arg(failure.bodyLength);
    default:
        return {};
    }
}

std::optional<FailureDetail> failureFromText(QStringView kind, QStringView detail)
{
    const std::optional<FetchFailure> known = failureKindFromName(kind);
    if (!known || *known == FetchFailure::None)
        return std::nullopt;
    FailureDetail failure{*known, 0, {}, 0, 0};
    const qsizetype space = detail.indexOf(u' ');
    const QStringView first = space < 0 ? detail : detail.left(space);
    const QStringView rest = space < 0 ? QStringView() : detail.mid(space + 1);
    bool ok = true;
    if (failure.kind == FetchFailure::ErrorStatus) {
        failure.status = first.toInt(&ok);
        failure.statusText = rest.toUtf8();
    } else if (failure.kind == FetchFailure::ShortBody) {
        bool bodyOk = false;
        failure.contentLength = first.toLongLong(&ok);
        failure.bodyLength = rest.toLongLong(&bodyOk);
        ok = ok && bodyOk;
    }
    return ok ? std::optional(failure) : std::nullopt;
}
