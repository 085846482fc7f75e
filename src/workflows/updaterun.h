#pragma once

#include "workflows/fetchreport.h"

#include <QDateTime>
#include <QString>

#include <functional>

class DomainGrid;
class HttpFetcher;
class SourceCatalogue;

// The front end's side of an update run: the controls it switches, the progress, and each fetch as it ends.
class UpdateRunControls {
public:
    // Blank progress shown; Add, Remove and Exit disabled; Cancel shown in place of the update buttons.
    virtual void enterRunningState() = 0;
    // The progress hidden, the update buttons back, Add, Remove and Exit enabled.
    virtual void leaveRunningState() = 0;
    // Step step of steps is under way (one step a source of a row); each front end shows it in its own way.
    virtual void showProgress(qint64 step, qint64 steps) = 0;
    // A fetch has ended and its cells have been written: its count, or its failure and the count kept.
    virtual void fetchEnded(const FetchReport& report) = 0;

protected:
    ~UpdateRunControls() = default;
};

// Walks grid rows and asks every source, in catalogue order, for the link count of the row's domain, writing each
// count into the row's record, whose Total the grid shows as the sum of its counts. A fetch that fails, or whose
// page states no count, keeps the record's count. The fetcher's cancel flag ends the run.
class UpdateRun {
public:
    // When a fetch or a run ends; the system's clock (in UTC, which costs nothing to read) unless a test gives its
    // own.
    using Clock = std::function<QDateTime()>;

    UpdateRun(DomainGrid& grid, const SourceCatalogue& sources, HttpFetcher& fetcher, UpdateRunControls& controls,
              Clock clock = {});

    // Rows first to last (none when first > last). Returns when the run has completed or been cancelled.
    void UpdateResults(int firstRow, int lastRow);
    bool isRunning() const { return m_running; }
    // What the last run did.
    const RunSummary& lastRun() const { return m_summary; }

    // "12 of 15  : 80%": the percentage rounded half away from zero, at least two digits.
    static QString progressText(qint64 step, qint64 steps);

private:
    void updateRow(int row, qint64& step, qint64 steps);
    void fetchCount(int row, int source, const QByteArray& domain);

    DomainGrid& m_grid;
    const SourceCatalogue& m_sources;
    HttpFetcher& m_fetcher;
    UpdateRunControls& m_controls;
    Clock m_clock;
    bool m_running = false;
    RunSummary m_summary;
};
