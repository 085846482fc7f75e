#pragma once

#include <QString>

#include <array>

class FindBar;
class GridWidget;
class QAction;
class QLabel;
class QMainWindow;
class QMenu;
class QPushButton;
class QShortcut;
class QWidget;

// The main window's controls and menu items, made with their captions, mnemonics, shortcuts and accessible names,
// in the order the Tab key visits them. Each carries its name as its object name ("cmdUpdate0", "mnuFileExit"), so
// that a test finds it as the user would, by what it is.
struct WindowControls {
    QWidget* client = nullptr; // the area the controls stand on, inside the window's central scroll area
    GridWidget* grdUrls = nullptr;
    std::array<QPushButton*, 2> cmdUpdate{}; // "Update All", "Update Selected"
    QPushButton* cmdCancelUpdate = nullptr;  // hidden outside a run
    QPushButton* cmdAddDomain = nullptr;
    QPushButton* cmdRemoveDomain = nullptr;
    QPushButton* cmdExit = nullptr;
    QPushButton* cmdFindPageRanking = nullptr;
    QPushButton* cmdDownload = nullptr;
    QPushButton* cmdPopularityMean = nullptr;
    QLabel* sklCompleted = nullptr; // the progress of a run
    FindBar* findBar = nullptr;     // below the grid, hidden until opened
    QAction* mnuFileImportUrls = nullptr;
    QAction* mnuFileFind = nullptr;
    QMenu* mnuFileSort = nullptr; // "Sort List By", its items made by SortMenu
    QAction* mnuFileGetUpdate = nullptr;
    QAction* mnuFileWebGraph = nullptr;
    QAction* mnuFileSaveListAs = nullptr;
    QAction* mnuFileExportHistory = nullptr;
    QAction* mnuFileExit = nullptr;
    QAction* mnuWebPagesHome = nullptr;
    QAction* mnuHelpAbout = nullptr;
    QShortcut* keyHistory = nullptr; // the current domain's history

    // Makes the controls on window's central widget, the menus of its menu bar and the window's shortcuts.
    static WindowControls create(QMainWindow& window);
};
