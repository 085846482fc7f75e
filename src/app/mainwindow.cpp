#include "app/mainwindow.h"

#include "app/aboutbox.h"
#include "app/apptitle.h"
#include "app/browseropener.h"
#include "app/designlayout.h"
#include "app/findbar.h"
#include "app/gridfit.h"
#include "app/historywindows.h"
#include "app/rowpopupmenu.h"
#include "app/runcontroller.h"
#include "app/sortmenu.h"
#include "app/weblinks.h"
#include "app/windowopening.h"
#include "domains/userdialogs.h"
#include "grid/gridwidget.h"
#include "workflows/listsession.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>

using namespace Qt::StringLiterals;

MainWindow::MainWindow(const MainWindowParts& parts, QWidget* parent)
    : QMainWindow(parent)
    , m_session(parts.session)
    , m_dialogs(parts.dialogs)
    , m_browser(parts.browser)
    , m_controls(WindowControls::create(*this))
    , m_outcomes(*m_controls.grdUrls, *statusBar(), m_session.engines(), m_session.countText().locale())
    , m_layout(new DesignLayout(m_controls, [this] { m_session.grid().ResizeGrid(); }))
    , m_popupMenu(new RowPopupMenu(*this, *m_controls.grdUrls, m_session, m_browser,
                                   {[this](int row) { UpdateResults(row, row); }, [this] { cmdRemoveDomain_Click(); },
                                    [this](int row) { showHistory(row); }}))
    , m_sortMenu(new SortMenu(*m_controls.mnuFileSort, m_session, [this] { saveAfterEdit(); }))
    , m_runController(new RunController(
          *this, m_controls, m_session, *m_layout, m_outcomes,
          QList<QAction*>{m_controls.mnuFileImportUrls, m_controls.mnuFileSaveListAs, m_sortMenu->editingAction()} +
              m_popupMenu->editingActions()))
    , m_saving(*statusBar(), m_session, m_dialogs)
    , m_history(std::make_unique<HistoryWindows>(*this, *statusBar(), m_session, m_dialogs,
                                                 [this] { return m_saving.isSaving(); }))
    , m_exitSave(m_session, m_dialogs, [this] { return m_saving.saveListAs(); })
    , m_place(parts.settingsFile)
    , m_webGraph(parts.webGraph)
    , m_availableArea(parts.availableArea ? parts.availableArea : screenAvailableArea)
{
    m_session.showIn(*m_runController, m_controls.grdUrls);
    setWindowIcon(QIcon(u":/brenlow.png"_s));
    connectControls();
    openAtDesignSize(*this, *m_layout);
}

MainWindow::~MainWindow()
{
    // The controls are hidden and destroyed after this body, when the window's own members are gone: the layout
    // must not call back then.
    m_layout->stopCallbacks();
}

void MainWindow::connectControls()
{
    const WindowControls& c = m_controls;
    connect(c.cmdUpdate[0], &QPushButton::clicked, this, [this] { cmdUpdate_Click(0); });
    connect(c.cmdUpdate[1], &QPushButton::clicked, this, [this] { cmdUpdate_Click(1); });
    connect(c.cmdCancelUpdate, &QPushButton::clicked, this, &MainWindow::cmdCancelUpdate_Click);
    connect(c.cmdExit, &QPushButton::clicked, this, &MainWindow::cmdExit_Click);
    connect(c.cmdAddDomain, &QPushButton::clicked, this, &MainWindow::cmdAddDomain_Click);
    connect(c.cmdRemoveDomain, &QPushButton::clicked, this, &MainWindow::cmdRemoveDomain_Click);
    connect(c.cmdFindPageRanking, &QPushButton::clicked, this, [this] { cmdFindPageRanking_Click(m_browser); });
    connect(c.cmdDownload, &QPushButton::clicked, this, [this] { cmdDownload_Click(m_browser); });
    connect(c.cmdPopularityMean, &QPushButton::clicked, this, [this] { cmdPopularityMean_Click(m_browser); });
    connect(c.grdUrls, &GridWidget::Click, this, &MainWindow::grdUrls_Click);
    connect(c.grdUrls, &GridWidget::columnWidened, this,
            [this] { fitWindowToGrid(*this, *m_controls.grdUrls, m_availableArea(*this)); });
    connect(c.mnuFileImportUrls, &QAction::triggered, this, &MainWindow::mnuFileImportUrls_Click);
    connect(c.mnuFileSaveListAs, &QAction::triggered, this, [this] { m_saving.saveListAs(); });
    connect(c.mnuFileGetUpdate, &QAction::triggered, this, [this] { mnuFileGetUpdate_Click(m_browser); });
    connect(c.mnuFileExportHistory, &QAction::triggered, this, [this] { m_history->mnuFileExportHistory_Click(); });
    connect(c.mnuFileWebGraph, &QAction::triggered, this, [this] { showWebGraphDialog(*this, m_session, m_webGraph); });
    connect(c.keyHistory, &QShortcut::activated, this, [this] { showHistory(m_controls.grdUrls->Row()); });
    connect(c.mnuFileExit, &QAction::triggered, this, &MainWindow::cmdExit_Click);
    connect(c.mnuWebPagesHome, &QAction::triggered, this, [this] { mnuWebPagesHome_Click(m_browser); });
    connect(c.mnuHelpAbout, &QAction::triggered, this, &MainWindow::mnuHelpAbout_Click);
    connect(m_runController, &RunController::progressChanged, this, &MainWindow::progressChanged);
}

void MainWindow::Form_Load()
{
    const bool restored = m_place.restore(*this, m_availableArea);
    m_appTitle = ApplicationTitle;
    m_controls.mnuHelpAbout->setText(u"&About "_s + m_appTitle);
    setWindowTitle(u"Brenlow - Link Popularity Tool"_s);
    m_popupMenu->nameEngines(m_session.engines());
    // The keyboard starts in the list; Tab goes on to the buttons.
    m_controls.grdUrls->setFocus(Qt::OtherFocusReason);
    if (!m_session.load())
        m_saving.reportLoad();
    m_saving.checkAtStart();
    m_outcomes.restoreMarks(m_session.lastFailedFetches());
    // The window opens where it was left, as large as it was.
    if (!restored)
        placeAtFirstOpening(*this, *m_controls.grdUrls, m_availableArea);
}

void MainWindow::comeForward()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

bool MainWindow::isUpdating() const
{
    return m_runController->isRunning();
}

int MainWindow::PopupRow() const
{
    return m_popupMenu->PopupRow();
}

int MainWindow::PopupCol() const
{
    return m_popupMenu->PopupCol();
}

void MainWindow::setPopupMenuShower(PopupMenuShower shower)
{
    m_popupMenu->setShower(std::move(shower));
}

void MainWindow::UpdateResults(int firstRow, int lastRow)
{
    // A run's own line replaces whatever the status bar said last.
    statusBar()->clearMessage();
    m_runController->run(firstRow, lastRow);
    saveAfterEdit();
    // The open histories show what the run added.
    m_history->refresh();
    // A close asked for during the run waited for the run to end.
    if (std::exchange(m_exitAfterRun, false))
        cmdExit_Click();
}

void MainWindow::cmdUpdate_Click(int index)
{
    const GridWidget& grid = *m_controls.grdUrls;
    if (index == 0)
        UpdateResults(1, m_session.domains().count());
    else
        UpdateResults(grid.Row(), grid.Row());
}

void MainWindow::cmdCancelUpdate_Click()
{
    m_session.cancelUpdate();
}

void MainWindow::cmdAddDomain_Click()
{
    m_session.editor().cmdAddDomain_Click(m_dialogs);
    saveAfterEdit();
}

void MainWindow::cmdRemoveDomain_Click()
{
    m_session.editor().cmdRemoveDomain_Click(m_dialogs);
    m_outcomes.keepListed(m_session.domains());
    saveAfterEdit();
}

void MainWindow::mnuFileImportUrls_Click()
{
    m_session.editor().mnuFileImportUrls_Click(m_dialogs);
    saveAfterEdit();
}

void MainWindow::saveAfterEdit()
{
    m_saving.saveAfterEdit();
}

void MainWindow::showHistory(int row)
{
    const DomainList& domains = m_session.domains();
    m_history->show(row >= 1 && row <= domains.count() ? domains.domain(row).toByteArray() : QByteArray());
}

void MainWindow::historyNotKept(const QString& problem)
{
    m_history->historyNotKept(problem);
}

void MainWindow::grdUrls_Click()
{
    // A click on an empty cell brings the current cell back to the first domain.
    GridWidget& grid = *m_controls.grdUrls;
    if (grid.TextMatrix(grid.Row(), grid.Col()).isEmpty())
        grid.makeCurrent(1, 0);
}

void MainWindow::cmdExit_Click()
{
    if (!isUpdating() && m_exitSave.captureAndSave())
        endProgram();
}

void MainWindow::endProgram()
{
    m_place.save(*this);
    m_exiting = true;
    close();
    QCoreApplication::quit();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_exiting) {
        event->accept();
        return;
    }
    // Closing the window is Exit; during a run it cancels the run first and exits once the run has ended.
    if (isUpdating()) {
        event->ignore();
        m_exitAfterRun = true;
        cmdCancelUpdate_Click();
        return;
    }
    if (!m_exitSave.captureAndSave()) {
        event->ignore();
        return;
    }
    m_place.save(*this);
    m_exiting = true;
    event->accept();
    QCoreApplication::quit();
}

void MainWindow::mnuHelpAbout_Click()
{
    AboutBox about(m_appTitle, windowIcon(), m_browser, this);
    about.exec();
}
