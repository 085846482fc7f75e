#include "workflows/historyrecorder.h"

HistoryRecorder::HistoryRecorder(UpdateRunControls& controls, HistoryStore& store, FrontEnd frontEnd,
                                 std::function<void(const QString&)> notKept, Clock clock)
    : m_controls(controls)
    , m_store(store)
    , m_frontEnd(frontEnd)
    , m_notKept(std::move(notKept))
    , m_clock(clock ? std::move(clock) : [] { return QDateTime::currentDateTimeUtc(); })
{
}

void HistoryRecorder::enterRunningState()
{
    // A history that could not be opened is told of before the run, one that fails later after it.
    m_recording = m_store.beginRun(m_clock(), m_frontEnd);
    if (!m_recording)
        report();
    m_pendingRow = -1;
    m_controls.enterRunningState();
}

void HistoryRecorder::leaveRunningState()
{
    flush();
    if (m_recording)
        m_store.endRun(m_run ? m_run->lastRun().ended : m_clock(), m_run && m_run->lastRun().cancelled);
    m_recording = false;
    m_controls.leaveRunningState();
    report();
}

void HistoryRecorder::showProgress(qint64 step, qint64 steps)
{
    m_controls.showProgress(step, steps);
}

void HistoryRecorder::fetchEnded(const FetchReport& report)
{
    if (m_recording) {
        if (report.row != m_pendingRow || report.domain != m_pending.domain)
            flush();
        m_pendingRow = report.row;
        m_pending.domain = report.domain;
        m_pending.engines[static_cast<std::size_t>(report.engine)] = {report.at, report.count, report.failure};
        if (report.engine == EngineCount - 1)
            flush();
    }
    m_controls.fetchEnded(report);
}

void HistoryRecorder::flush()
{
    if (m_pendingRow < 0)
        return;
    if (m_recording)
        m_recording = m_store.recordDomain(m_pending);
    m_pendingRow = -1;
    m_pending = {};
}

void HistoryRecorder::report()
{
    if (m_reported || m_store.problem() == HistoryProblem::None)
        return;
    m_reported = true;
    if (m_notKept)
        m_notKept(m_store.problemText());
}
