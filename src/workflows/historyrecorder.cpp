#include "workflows/historyrecorder.h"

HistoryRecorder::HistoryRecorder(UpdateRunControls& controls, HistoryThread& history, FrontEnd frontEnd,
                                 std::function<void(const QString&)> notKept, Clock clock)
    : m_controls(controls)
    , m_history(history)
    , m_frontEnd(frontEnd)
    , m_notKept(std::move(notKept))
    , m_clock(clock ? std::move(clock) : [] { return QDateTime::currentDateTimeUtc(); })
{
}

void HistoryRecorder::enterRunningState()
{
    const std::optional<QString> problem = m_history.problem();
    m_recording = !problem;
    if (m_recording)
        m_history.beginRun(m_clock(), m_frontEnd);
    report(problem);
    m_pendingRow = -1;
    m_controls.enterRunningState();
}

void HistoryRecorder::leaveRunningState()
{
    flush();
    if (m_recording)
        m_history.endRun(m_run ? m_run->lastRun().ended : m_clock(), m_run && m_run->lastRun().cancelled);
    m_recording = false;
    // The run is over once it is written: what comes after it reads it whole.
    const std::optional<QString> problem = m_history.problem();
    m_controls.leaveRunningState();
    report(problem);
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
        m_history.recordDomain(std::move(m_pending));
    m_pendingRow = -1;
    m_pending = {};
}

void HistoryRecorder::report(const std::optional<QString>& problem)
{
    if (m_reported || !problem)
        return;
    m_reported = true;
    if (m_notKept)
        m_notKept(*problem);
}
