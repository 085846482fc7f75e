#pragma once

#include <QString>

class CountText;
class EngineTables;
class GridControl;
class HttpFetcher;

// The window's side of an update run: the controls it switches and the progress label.
class UpdateRunControls {
public:
    // Blank progress shown; Add, Remove and Exit disabled; Cancel shown in place of the update buttons.
    virtual void enterRunningState() = 0;
    // The progress hidden, the update buttons back, Add, Remove and Exit enabled.
    virtual void leaveRunningState() = 0;
    virtual void showProgress(const QString& text) = 0;

protected:
    ~UpdateRunControls() = default;
};

// Walks grid rows and asks every engine, in catalogue order, for the link count of the row's domain, writing
// each count and the row's running total into the grid. Only the grid is written; the domain list receives
// the counts when the grid is next captured.
class UpdateRun {
public:
    UpdateRun(GridControl& grid, HttpFetcher& fetcher, const EngineTables& engines, const CountText& countText,
              UpdateRunControls& controls);

    // Rows first to last (none when first > last). Returns when the run has completed or been cancelled.
    void UpdateResults(int firstRow, int lastRow);
    bool isRunning() const { return m_running; }
    // The fetches of the last run that failed (cancelled ones included).
    int failedFetches() const { return m_failedFetches; }

    // "12 of 15  : 80%": the percentage rounded half away from zero, at least two digits.
    static QString progressText(qint64 step, qint64 steps);

private:
    void updateRow(int row, qint64& step, qint64 steps);

    GridControl& m_grid;
    HttpFetcher& m_fetcher;
    const EngineTables& m_engines;
    const CountText& m_countText;
    UpdateRunControls& m_controls;
    bool m_running = false;
    int m_failedFetches = 0;
};
