#include "workflows/updaterun.h"

#include "domains/domainlist.h"
#include "engine/enginecatalogue.h"
#include "engine/linkcount.h"
#include "grid/domaingrid.h"
#include "net/httpfetcher.h"

#include <cmath>

UpdateRun::UpdateRun(DomainGrid& grid, HttpFetcher& fetcher, const EngineTables& engines, UpdateRunControls& controls,
                     Clock clock)
    : m_grid(grid)
    , m_fetcher(fetcher)
    , m_engines(engines)
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
            m_summary.counts += EngineCount;
    }
    m_controls.enterRunningState();

    m_fetcher.clearCancelRequest();
    const qint64 steps = (qint64(lastRow) - firstRow + 1) * EngineCount;
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
    for (int i = 0; i < EngineCount; ++i) {
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

void UpdateRun::fetchCount(int row, int engine, const QByteArray& domain)
{
    const EngineEntry& entry = m_engines.engine(engine);
    const HttpResult result = m_fetcher.HttpRequest(entry.host, linkQueryPath(entry, domain));

    FetchReport report{row, engine, domain, m_clock(), std::nullopt, result.failure, {}, {}};
    if (result.succeeded) {
        report.count = FindLinkCount(result.response, entry.name);
        if (!report.count)
            report.failure.kind = FetchFailure::NoCount;
    }
    if (report.count) {
        ++m_summary.updated;
        m_grid.setCount(row, engine, *report.count);
    } else {
        // A fetch that gave no count keeps the count an earlier run found; a field without one gets 0.
        ++m_summary.failed;
        if (m_grid.domains().countState(row, engine) == DomainList::CountState::None)
            m_grid.setCount(row, engine, 0);
        report.keptCount = m_grid.cellText(row, GridColumn::FirstEngine + engine);
        report.kept = m_grid.domains().countValue(row, engine);
        m_summary.failures.append(report);
    }
    m_controls.fetchEnded(report);
}
