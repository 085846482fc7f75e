#pragma once

#include "app/windowcontrols.h"
#include "workflows/updaterun.h"

#include <QList>
#include <QObject>

class DesignLayout;
class ListSession;
class QAction;
class QWidget;
class RepaintThrottle;
class RunOutcomes;

// The window's side of an update run: it switches the controls into the running state and back, shows the
// progress, hands each fetch's outcome on, and gives the focus back to the control that had it when the run ends.
class RunController : public QObject, public UpdateRunControls {
    Q_OBJECT

public:
    // editingActions: the menu items that change the rows or start a run, unavailable while one runs.
    RunController(QWidget& window, const WindowControls& controls, ListSession& session, DesignLayout& layout,
                  RunOutcomes& outcomes, QList<QAction*> editingActions);

    // Runs rows firstRow to lastRow; returns when the run has ended.
    void run(int firstRow, int lastRow);
    bool isRunning() const;

Q_SIGNALS:
    // The progress label has been given a new text during a run.
    void progressChanged(const QString& text);

private:
    void enterRunningState() override;
    void leaveRunningState() override;
    void showProgress(qint64 step, qint64 steps) override;
    void fetchEnded(const FetchReport& report) override;
    void setEditingEnabled(bool enabled);

    QWidget& m_window;
    WindowControls m_controls;
    ListSession& m_session;
    DesignLayout& m_layout;
    RunOutcomes& m_outcomes;
    QList<QAction*> m_editingActions;
    RepaintThrottle* m_repaintThrottle;
};
