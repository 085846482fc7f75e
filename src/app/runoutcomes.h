#pragma once

#include "app/stalecounts.h"

#include <QLocale>

class DomainList;
class EngineTables;
class GridWidget;
class QLabel;
class QStatusBar;

// What the window shows of each update run's outcome, beside the progress label: every count a fetch could not
// update, marked in the grid with a note that says why, and a status bar line that sums up the last run, with
// its failures one by one in the line's tooltip. The note of the current cell shows in the status bar too, so
// that the keyboard, and a screen reader, reach why a count was not updated.
class RunOutcomes {
public:
    RunOutcomes(GridWidget& grid, QStatusBar& statusBar, const EngineTables& engines, const QLocale& locale);

    QLabel& summary() const { return *m_summary; }
    QLabel& currentNote() const { return *m_currentNote; }

    void runStarted();
    void fetchEnded(const FetchReport& report);
    void runEnded(const RunSummary& summary);
    // Marks the counts whose last fetch failed in an earlier session, as that session did.
    void restoreMarks(const QList<FetchReport>& failed);
    // After a removal: a domain removed and added again starts without marks.
    void keepListed(const DomainList& domains);

private:
    QString cellNote(int row, int col) const;
    void showCurrentNote();

    GridWidget& m_grid;
    const EngineTables& m_engines;
    QLocale m_locale;
    QLabel* m_summary;
    QLabel* m_currentNote;
    StaleCounts m_staleCounts;
};
