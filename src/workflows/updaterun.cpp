#include "workflows/updaterun.h"

#include "engine/bytetext.h"
#include "engine/counttext.h"
#include "engine/enginecatalogue.h"
#include "engine/linkcount.h"
#include "grid/gridcolumns.h"
#include "grid/gridcontrol.h"
#include "grid/rowtotal.h"
#include "net/httpfetcher.h"

#include <cmath>

UpdateRun::UpdateRun(GridControl& grid, HttpFetcher& fetcher, const EngineTables& engines, const CountText& countText,
                     UpdateRunControls& controls, Clock clock)
    : m_grid(grid)
    , m_fetcher(fetcher)
    , m_engines(engines)
    , m_countText(countText)
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
        if (!m_grid.TextMatrix(row, GridColumn::Domain).isEmpty())
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
        // Read again at every step: the cell is the domain as the grid shows it now.
        const QString domain = m_grid.TextMatrix(row, GridColumn::Domain);
        ++step;
        m_controls.showProgress(step, steps);
        if (domain.isEmpty())
            continue;
        if (m_fetcher.cancelRequested())
            return;
        fetchCount(row, i, bytesFromText(domain));
    }
}

void UpdateRun::fetchCount(int row, int engine, const QByteArray& domain)
{
    const EngineEntry& entry = m_engines.engine(engine);
    const HttpResult result = m_fetcher.HttpRequest(entry.host, linkQueryPath(entry, domain));

    FetchReport report{row, engine, domain, m_clock(), std::nullopt, result.failure, {}};
    if (result.succeeded) {
        report.count = FindLinkCount(result.response, entry.name);
        if (!report.count)
            report.failure.kind = FetchFailure::NoCount;
    }
    const int column = GridColumn::FirstEngine + engine;
    if (report.count) {
        ++m_summary.updated;
        m_grid.setTextMatrix(row, column, m_countText.format(*report.count));
    } else {
        // A fetch that gave no count keeps the count an earlier run found; an empty cell shows 0.
        ++m_summary.failed;
        if (m_grid.TextMatrix(row, column).isEmpty())
            m_grid.setTextMatrix(row, column, QStringLiteral("0"));
        report.keptCount = m_grid.TextMatrix(row, column);
        m_summary.failures.append(report);
    }
    writeRowTotal(m_grid, row, m_countText);
    m_controls.fetchEnded(report);
}
