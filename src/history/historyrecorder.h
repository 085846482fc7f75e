#pragma once

#include "history/historystore.h"
#include "history/historythread.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

// Records every update run and every fetch of it in the history: a domain's fetches are handed to the history's
// thread as soon as the run moves on from the domain, so that a crash loses at most the domain under way. When the
// history cannot be kept it says why once, through notKept (before the run when it could not be opened, after it
// when a write failed), and the run goes on as before.
class HistoryRecorder {
public:
    using Clock = std::function<QDateTime()>;

    HistoryRecorder(HistoryThread& history, FrontEnd frontEnd, std::function<void(const QString&)> notKept,
                    Clock clock = {});

    // A run begins.
    void runStarted();
    // A fetch of a run ended: for the domain of a grid row (rows tell apart a domain the list holds twice), from
    // engine engine.
    void fetched(int row, const QByteArray& domain, int engine, const HistoryFetch& fetch);
    // The run ended: its last domain is written and the run closed.
    void runEnded(const QDateTime& ended, bool cancelled);
    // Tells notKept, once a session, what kept the run from being recorded; called after the run's end is shown.
    void tellProblem();

private:
    void flush();

    HistoryThread& m_history;
    FrontEnd m_frontEnd;
    std::function<void(const QString&)> m_notKept;
    Clock m_clock;
    bool m_recording = false;
    bool m_reported = false;
    std::optional<QString> m_problem;
    int m_pendingRow = -1;
    DomainFetches m_pending;
};
