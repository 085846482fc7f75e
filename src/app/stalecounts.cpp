#include "app/stalecounts.h"

#include <algorithm>

using namespace Qt::StringLiterals;

bool StaleCounts::record(const FetchReport& report)
{
    if (report.failed()) {
        QHash<int, Failure>& failures = m_failures[report.domain];
        const bool wasMarked = failures.contains(report.engine);
        failures.insert(report.engine, Failure{report.at, report.failure});
        return !wasMarked;
    }
    const auto found = m_failures.find(report.domain);
    if (found == m_failures.end() || !found->remove(report.engine))
        return false;
    if (found->isEmpty())
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
    if (found == m_failures.cend() || !found->contains(engine))
        return {};
    const Failure& failure = found->value(engine);
    const QDateTime at = failure.at.toLocalTime();
    QString when = u"at "_s + locale.toString(at.time(), QLocale::ShortFormat);
    if (at.date() != today)
        when = u"on %1 %2"_s.arg(locale.toString(at.date(), QLocale::ShortFormat), when);
    return u"Not updated %1 (%2); this count is from an earlier run."_s.arg(when, failureReason(failure.failure));
}
