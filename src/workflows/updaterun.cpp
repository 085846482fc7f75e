#include "workflows/updaterun.h"

#include "engine/bytetext.h"
#include "engine/counttext.h"
#include "engine/enginecatalogue.h"
#include "engine/linkcount.h"
#include "grid/gridcolumns.h"
#include "grid/gridcontrol.h"
#include "net/httpfetcher.h"

#include <cmath>

UpdateRun::UpdateRun(GridControl& grid, HttpFetcher& fetcher, const EngineTables& engines, const CountText& countText,
                     UpdateRunControls& controls)
    : m_grid(grid)
    , m_fetcher(fetcher)
    , m_engines(engines)
    , m_countText(countText)
    , m_controls(controls)
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
    m_failedFetches = 0;
    m_controls.enterRunningState();

    m_fetcher.clearCancelRequest();
    const qint64 steps = (qint64(lastRow) - firstRow + 1) * EngineCount;
    qint64 step = 0;
    for (int row = firstRow; row <= lastRow && !m_fetcher.cancelRequested(); ++row)
        updateRow(row, step, steps);

    m_controls.leaveRunningState();
    m_running = false;
}

void UpdateRun::updateRow(int row, qint64& step, qint64 steps)
{
    qint64 rowTotal = 0;
    for (int i = 0; i < EngineCount; ++i) {
        if (m_fetcher.cancelRequested())
            return;
        // Read again at every step: the cell is the domain as the grid shows it now.
        const QString domain = m_grid.TextMatrix(row, GridColumn::Domain);
        ++step;
        m_controls.showProgress(progressText(step, steps));
        if (domain.isEmpty())
            continue;

        const EngineEntry& engine = m_engines.engine(i);
        const QByteArray path = ExpandTemplate(engine.queryTemplate, bytesFromText(domain));
        if (m_fetcher.cancelRequested())
            return;
        const HttpResult result = m_fetcher.HttpRequest(engine.host, path);

        const int column = GridColumn::FirstEngine + i;
        if (result.succeeded) {
            const qint32 count = ExtractLinkCount(result.response, engine.name);
            rowTotal += count;
            m_grid.setTextMatrix(row, column, m_countText.format(count));
        } else {
            // A failed fetch keeps the count an earlier run found; the total counts what the cell shows.
            ++m_failedFetches;
            if (m_grid.TextMatrix(row, column).isEmpty())
                m_grid.setTextMatrix(row, column, QStringLiteral("0"));
            rowTotal += m_countText.parseWhole(m_grid.TextMatrix(row, column)).value_or(0);
        }
        m_grid.setTextMatrix(row, GridColumn::Total, m_countText.format(rowTotal));
    }
}
