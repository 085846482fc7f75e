#include "workflows/updaterun.h"

#include "domains/domainlist.h"
#include "grid/domaingrid.h"
#include "net/httpfetcher.h"
#include "sources/sourcecatalogue.h"

#include <cmath>

UpdateRun::UpdateRun(DomainGrid& grid, const SourceCatalogue& sources, HttpFetcher& fetcher,
                     UpdateRunControls& controls, Clock clock)
    : m_grid(grid)
    , m_sources(sources)
    , m_fetcher(fetcher)
    , m_controls(controls)
    , m_clock(clock ? std::move(clock) : [] { return QDateTime::currentDateTimeUtc(); })
{
}

QString UpdateRun::progressText(qint64 step, qint64 steps)
{
    // The percentage is worked out in single precision, as the label always has.
    const float percent = static_cast<float>(step) / static_cast<float>(steps) * 100.0f;
    const auto rounded = static_cast<qint64>(std::floor(percent + 0.5f));
    return QStringLiteral("%1 of %2  : %3%").arg(step).arg(steps).arg(rounded, 2, 10, QLatin1Char('0'));
}

void UpdateRun::UpdateResults(int firstRow, int lastRow)
{
    if (m_running)
        return;
    m_running = true;
    m_summary = {};
    for (int row = firstRow; row <= lastRow; ++row) {
        if (row <= m_grid.rows() && !m_grid.domainOf(row).isEmpty())
            m_summary.counts += m_sources.count();
    }
    m_controls.enterRunningState();

    m_fetcher.clearCancelRequest();
    const qint64 steps = (qint64(lastRow) - firstRow + 1) * m_sources.count();
    qint64 step = 0;
    for (int row = firstRow; row <= lastRow && !m_fetcher.cancelRequested(); ++row)
        updateRow(row, step, steps);

    m_summary.cancelled = m_fetcher.cancelRequested();
    m_summary.ended = m_clock();
    m_controls.leaveRunningState();
    m_running = false;
}

void UpdateRun::updateRow(int row, qint64& step, qint64 steps)
{
    for (int i = 0; i < m_sources.count(); ++i) {
        if (m_fetcher.cancelRequested())
            return;
        // Read again at every step: the row's domain as the list holds it now.
        const QByteArray domain = row <= m_grid.rows() ? m_grid.domainOf(row).toByteArray() : QByteArray();
        ++step;
        m_controls.showProgress(step, steps);
        if (domain.isEmpty())
            continue;
        if (m_fetcher.cancelRequested())
            return;
        fetchCount(row, i, domain);
    }
}

void UpdateRun::fetchCount(int row, int source, const QByteArray& domain)
{
    const SourceOutcome outcome = m_sources.source(source).fetchCount(domain);
    FetchReport report{row, source, domain, m_clock(), outcome.count, outcome.failure, {}, {}};
    if (report.count) {
        ++m_summary.updated;
        m_grid.setCount(row, source, *report.count);
    } else {
        // A fetch that gave no count keeps the count an earlier run found; a field without one gets 0.
        ++m_summary.failed;
        if (m_grid.domains().countState(row, source) == DomainList::CountState::None)
            m_grid.setCount(row, source, 0);
        report.keptCount = m_grid.cellText(row, GridColumn::FirstEngine + source);
        report.kept = m_grid.domains().countValue(row, source);
        m_summary.failures.append(report);
    }
    m_controls.fetchEnded(report);
}
