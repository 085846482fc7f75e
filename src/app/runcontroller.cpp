#include "app/runcontroller.h"

#include "app/designlayout.h"
#include "app/repaintthrottle.h"
#include "app/runoutcomes.h"
#include "workflows/listsession.h"

#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

RunController::RunController(QWidget& window, const WindowControls& controls, ListSession& session,
                             DesignLayout& layout, RunOutcomes& outcomes, QList<QAction*> editingActions)
    : QObject(&window)
    , m_window(window)
    , m_controls(controls)
    , m_session(session)
    , m_layout(layout)
    , m_outcomes(outcomes)
    , m_editingActions(std::move(editingActions))
    , m_repaintThrottle(new RepaintThrottle(window))
{
}

bool RunController::isRunning() const
{
    return m_session.run().isRunning();
}

void RunController::run(int firstRow, int lastRow)
{
    // The run hides the button that started it, and the focus moves on to the next control that can take it,
    // a web page button; it comes back to the button (or the grid, for the pop-up menu) when the run ends.
    const QPointer<QWidget> focused = m_window.focusWidget();
    m_session.run().UpdateResults(firstRow, lastRow);
    m_outcomes.runEnded(m_session.run().lastRun());
    if (focused && focused->isVisible() && focused->isEnabled())
        focused->setFocus(Qt::OtherFocusReason);
}

void RunController::enterRunningState()
{
    m_outcomes.runStarted();
    const WindowControls& c = m_controls;
    c.sklCompleted->setText(QString(18, u' '));
    c.sklCompleted->show();
    c.cmdAddDomain->setEnabled(false);
    c.cmdRemoveDomain->setEnabled(false);
    c.cmdExit->setEnabled(false);
    c.mnuFileExit->setEnabled(false);
    c.cmdCancelUpdate->show();
    c.cmdUpdate[0]->hide();
    c.cmdUpdate[1]->hide();
    setEditingEnabled(false);
    m_repaintThrottle->setActive(true);
}

void RunController::leaveRunningState()
{
    m_repaintThrottle->setActive(false);
    const WindowControls& c = m_controls;
    c.sklCompleted->hide();
    c.cmdCancelUpdate->hide();
    c.cmdUpdate[0]->show();
    c.cmdUpdate[1]->show();
    c.cmdAddDomain->setEnabled(true);
    c.cmdRemoveDomain->setEnabled(true);
    c.cmdExit->setEnabled(true);
    c.mnuFileExit->setEnabled(true);
    setEditingEnabled(true);
}

void RunController::setEditingEnabled(bool enabled)
{
    // Nothing may change the rows or start a second run while a run walks them.
    for (QAction* action : m_editingActions)
        action->setEnabled(enabled);
}

void RunController::showProgress(qint64 step, qint64 steps)
{
    const QString text = UpdateRun::progressText(step, steps);
    m_layout.fitProgress(text);
    m_controls.sklCompleted->setText(text);
    Q_EMIT progressChanged(text);
}

void RunController::fetchEnded(const FetchReport& report)
{
    m_outcomes.fetchEnded(report);
}
