#pragma once

#include "app/exitsave.h"
#include "app/listsaving.h"
#include "app/runoutcomes.h"
#include "app/webgraphdialog.h"
#include "app/windowcontrols.h"
#include "app/windowplace.h"

#include <QList>
#include <QMainWindow>

#include <functional>
#include <memory>

class BrowserOpener;
class DesignLayout;
class HistoryWindows;
class ListSession;
class QMenu;
class RowPopupMenu;
class RunController;
class SortMenu;
class UserDialogs;

// What the main window works with, all made once by the program and outliving the window.
struct MainWindowParts {
    ListSession& session;
    UserDialogs& dialogs;
    BrowserOpener& browser;
    QString settingsFile; // where the window's place is kept; empty: the user's settings
    WebGraphSources webGraph = {};
    AvailableArea availableArea = {}; // empty: the screens' own
};

// The program's one main window. It makes the controls and wires them to the parts that do the work: the
// design layout, the run controller, the row's pop-up menu and the account of run outcomes; the list itself is
// the session's. Its own handlers carry the names of the controls and events they serve. Tests find the
// controls by their object names (see WindowControls).
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // Shows a pop-up menu at a global position and returns when it has closed (after the chosen item has run).
    using PopupMenuShower = std::function<void(QMenu& menu, QPoint position)>;

    explicit MainWindow(const MainWindowParts& parts, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Centres the window, sets captions, reads the domain list and shows it.
    void Form_Load();
    // Runs rows firstRow to lastRow; returns when the run has ended.
    void UpdateResults(int firstRow, int lastRow);
    bool isUpdating() const;
    // Shows the window, restored if minimised, above the others, and asks the window system for the focus (it
    // may only mark the window as wanting attention).
    void comeForward();

    const QString& AppTitle() const { return m_appTitle; }
    int PopupRow() const;
    int PopupCol() const;
    // Tests show pop-up menus without a user.
    void setPopupMenuShower(PopupMenuShower shower);
    // Opens the history of the domain in row, or brings its open view forward; nothing for a row without one.
    void showHistory(int row);
    // Tells the user, once a run has met it, that the history cannot be kept (problem: a clause).
    void historyNotKept(const QString& problem);
    // Saves the list after anything that changed it (a run, an edit, a new order); a failure is told once, in the
    // status bar.
    void saveAfterEdit();

Q_SIGNALS:
    // The progress label has been given a new text during an update run.
    void progressChanged(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void connectControls();

    void cmdUpdate_Click(int index);
    void cmdCancelUpdate_Click();
    void cmdAddDomain_Click();
    void cmdRemoveDomain_Click();
    void mnuFileImportUrls_Click();
    // Saves the list and ends the program; stays open when the list cannot be saved and
    // the user does not want to lose it.
    void cmdExit_Click();
    void grdUrls_Click();
    void mnuHelpAbout_Click();

    void endProgram();

    ListSession& m_session;
    UserDialogs& m_dialogs;
    BrowserOpener& m_browser;
    WindowControls m_controls;
    RunOutcomes m_outcomes;
    DesignLayout* m_layout;
    RowPopupMenu* m_popupMenu;
    SortMenu* m_sortMenu;
    RunController* m_runController;
    ListSaving m_saving;
    std::unique_ptr<HistoryWindows> m_history;
    ExitSave m_exitSave;

    WindowPlace m_place;
    WebGraphSources m_webGraph;
    AvailableArea m_availableArea;
    QString m_appTitle;
    bool m_exiting = false;
    bool m_exitAfterRun = false;
};
