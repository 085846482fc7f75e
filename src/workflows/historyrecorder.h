#pragma once

#include "domains/historystore.h"
#include "workflows/historythread.h"
#include "workflows/updaterun.h"

#include <functional>
#include <optional>

// Stands between an update run and the front end's controls, passing everything on, and records every run and
// every fetch of it in the history: a domain's fetches are handed to the history's thread as soon as the run
// moves on from the domain, so that a crash loses at most the domain under way. When the history cannot be kept
// it says why once, through notKept (before the run when it could not be opened, after it when a write failed),
// and the run goes on as before.
class HistoryRecorder final : public UpdateRunControls {
public:
    using Clock = std::function<QDateTime()>;

    HistoryRecorder(UpdateRunControls& controls, HistoryThread& history, FrontEnd frontEnd,
                    std::function<void(const QString&)> notKept, Clock clock = {});

    // The run whose summary says whether it was cancelled and when it ended.
    void watch(const UpdateRun& run) { m_run = &run; }

    void enterRunningState() override;
    void leaveRunningState() override;
    void showProgress(qint64 step, qint64 steps) override;
    void fetchEnded(const FetchReport& report) override;

private:
    void flush();
    void report(const std::optional<QString>& problem);

    UpdateRunControls& m_controls;
    HistoryThread& m_history;
    FrontEnd m_frontEnd;
    std::function<void(const QString&)> m_notKept;
    Clock m_clock;
    const UpdateRun* m_run = nullptr;
    bool m_recording = false;
    bool m_reported = false;
    int m_pendingRow = -1;
    DomainFetches m_pending;
};
