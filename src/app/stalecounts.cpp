#include "app/stalecounts.h"

#include <algorithm>

using namespace Qt::StringLiterals;

bool StaleCounts::record(const FetchReport& report)
{
    const auto engine = std::size_t(report.engine);
    if (report.failed()) {
        std::optional<Failure>& failure = m_failures[report.domain][engine];
        const bool wasMarked = failure.has_value();
        failure = Failure{report.at, report.failure};
        return !wasMarked;
    }
    const auto found = m_failures.find(report.domain);
    if (found == m_failures.end() || !found->at(engine))
        return false;
    found->at(engine).reset();
    if (std::none_of(found->begin(), found->end(), [](const auto& failure) { return failure.has_value(); }))
        m_failures.erase(found);
    return true;
}

void StaleCounts::keepOnly(const QSet<QByteArray>& listed)
{
    m_failures.removeIf([&](const auto& entry) { return !listed.contains(entry.key()); });
}

QString StaleCounts::note(const QByteArray& domain, int engine, const QLocale& locale, const QDate& today) const
{
    const auto found = m_failures.constFind(domain);
    if (found == m_failures.cend() || !found->at(std::size_t(engine)))
        return {};
    const Failure& failure = *found->at(std::size_t(engine));
    const QDateTime at = failure.at.toLocalTime();
    QString when = u"at "_s + locale.toString(at.time(), QLocale::ShortFormat);
    if (at.date() != today)
        when = u"on %1 %2"_s.arg(locale.toString(at.date(), QLocale::ShortFormat), when);
    return u"Not updated %1 (%2); this count is from an earlier run."_s.arg(when, failureReason(failure.failure));
}
