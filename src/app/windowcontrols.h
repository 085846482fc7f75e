#pragma once

#include <QString>

#include <array>

class GridWidget;
class QAction;
class QLabel;
class QMainWindow;
class QPushButton;
class QWidget;

// The main window's controls and menu items, made with their captions. Each carries its name as its object name
// ("cmdUpdate0", "mnuFileExit"), so that a test finds it as the user would, by what it is.
struct WindowControls {
    QWidget* client = nullptr; // the central widget that the controls stand on
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
    QAction* mnuFileImportUrls = nullptr;
    QAction* mnuFileGetUpdate = nullptr;
    QAction* mnuFileExit = nullptr;
    QAction* mnuWebPagesHome = nullptr;
    QAction* mnuHelpAbout = nullptr;

    // Makes the controls on window's central widget and the menus of its menu bar.
    static WindowControls create(QMainWindow& window);
};
