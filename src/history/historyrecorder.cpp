#include "history/historyrecorder.h"

HistoryRecorder::HistoryRecorder(HistoryThread& history, FrontEnd frontEnd, std::function<void(const QString&)> notKept,
                                 Clock clock)
    : m_history(history)
    , m_frontEnd(frontEnd)
    , m_notKept(std::move(notKept))
    , m_clock(clock ? std::move(clock) : [] { return QDateTime::currentDateTimeUtc(); })
{
}

void HistoryRecorder::runStarted()
{
    m_problem = m_history.problem();
    m_recording = !m_problem;
    if (m_recording)
        m_history.beginRun(m_clock(), m_frontEnd);
    m_pendingRow = -1;
    // A history that cannot be opened is told before the run.
    tellProblem();
}

void HistoryRecorder::fetched(int row, const QByteArray& domain, int engine, const HistoryFetch& fetch)
{
    if (!m_recording)
        return;
    if (row != m_pendingRow || domain != m_pending.domain)
        flush();
    m_pendingRow = row;
    m_pending.domain = domain;
    m_pending.engines[engine] = fetch;
    if (engine == m_pending.engines.size() - 1)
        flush();
}

void HistoryRecorder::runEnded(const QDateTime& ended, bool cancelled)
{
    flush();
    if (m_recording)
        m_history.endRun(ended.isValid() ? ended : m_clock(), cancelled);
    m_recording = false;
    // The run is over once it is written: what comes after it reads it whole.
    m_problem = m_history.problem();
}

void HistoryRecorder::flush()
{
    if (m_pendingRow < 0)
        return;
    if (m_recording)
        m_history.recordDomain(std::move(m_pending));
    m_pendingRow = -1;
    m_pending = DomainFetches();
}

void HistoryRecorder::tellProblem()
{
    if (m_reported || !m_problem)
        return;
    m_reported = true;
    if (m_notKept)
        m_notKept(*m_problem);
}
