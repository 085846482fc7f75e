#pragma once

#include "app/runoutcomes.h"
#include "workflows/listsession.h"

#include <QMainWindow>

#include <array>
#include <functional>

class BrowserOpener;
class CountText;
class GridWidget;
class HttpFetcher;
class QAction;
class QLabel;
class QMenu;
class QPushButton;
class RepaintThrottle;
class UserDialogs;

// What the main window works with, all made once by the program and outliving the window.
struct MainWindowParts {
    ListSession& session;
    UserDialogs& dialogs;
    BrowserOpener& browser;
};

// The program's one main window: the domain grid, the buttons that update, add and remove domains, and the
// menus. Its handlers carry the names of the controls and events they serve.
class MainWindow : public QMainWindow, private UpdateRunControls {
    Q_OBJECT

public:
    // Shows a pop-up menu at the pointer and returns when it has closed (after the chosen item has run).
    using PopupMenuShower = std::function<void(QMenu& menu)>;

    explicit MainWindow(const MainWindowParts& parts, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Centres the window, sets captions, builds the engine tables, reads the domain list and shows it.
    void Form_Load();
    void Form_Resize();

    void cmdUpdate_Click(int index);
    void mnuGridMenuUpdate_Click();
    void cmdCancelUpdate_Click();
    // Captures the grid, saves the list and ends the program; stays open when the list cannot be saved and
    // the user does not want to lose it.
    void cmdExit_Click();
    void mnuFileExit_Click() { cmdExit_Click(); }

    void UpdateResults(int firstRow, int lastRow);
    bool isUpdating() const { return m_session.run().isRunning(); }

    void cmdAddDomain_Click() { m_session.editor().cmdAddDomain_Click(m_dialogs); }
    void cmdRemoveDomain_Click();
    void mnuFileImportUrls_Click() { m_session.editor().mnuFileImportUrls_Click(m_dialogs); }

    void grdUrls_Click();
    void grdUrls_MouseDown(int button, int shift, float x, float y);
    void grdUrls_MouseUp(int, int, float, float) {}
    void mnuGridMenuRemove_Click();
    void mnuGridMenuViewDomain_Click();
    void mnuGridMenuView_Click(int index);

    void mnuWebPagesHome_Click();
    void mnuFileGetUpdate_Click();
    void cmdPopularityMean_Click();
    void cmdFindPageRanking_Click();
    void cmdDownload_Click();
    void mnuHelpAbout_Click();

    void setPopupMenuShower(PopupMenuShower shower) { m_popupMenu = std::move(shower); }

    const QString& AppTitle() const { return m_appTitle; }
    int PopupRow() const { return m_popupRow; }
    int PopupCol() const { return m_popupCol; }

    GridWidget& grdUrls() const { return *m_grdUrls; }
    QPushButton& cmdUpdate(int index) const { return *m_cmdUpdate.at(index); }
    QPushButton& cmdCancelUpdate() const { return *m_cmdCancelUpdate; }
    QPushButton& cmdAddDomain() const { return *m_cmdAddDomain; }
    QPushButton& cmdRemoveDomain() const { return *m_cmdRemoveDomain; }
    QPushButton& cmdExit() const { return *m_cmdExit; }
    QPushButton& cmdFindPageRanking() const { return *m_cmdFindPageRanking; }
    QPushButton& cmdDownload() const { return *m_cmdDownload; }
    QPushButton& cmdPopularityMean() const { return *m_cmdPopularityMean; }
    QLabel& sklCompleted() const { return *m_sklCompleted; }
    // The status bar's account of the last run.
    QLabel& runSummary() const { return m_outcomes.summary(); }
    QAction& mnuFileExit() const { return *m_mnuFileExit; }
    QAction& mnuFileImportUrls() const { return *m_mnuFileImportUrls; }
    QAction& mnuFileGetUpdate() const { return *m_mnuFileGetUpdate; }
    QAction& mnuWebPagesHome() const { return *m_mnuWebPagesHome; }
    QAction& mnuHelpAbout() const { return *m_mnuHelpAbout; }
    QMenu& mnuGridMenu() const { return *m_mnuGridMenu; }
    QAction& mnuGridMenuViewDomain() const { return *m_mnuGridMenuViewDomain; }
    QAction& mnuGridMenuUpdate() const { return *m_mnuGridMenuUpdate; }
    QAction& mnuGridMenuRemove() const { return *m_mnuGridMenuRemove; }
    QAction& mnuGridMenuView(int index) const { return *m_mnuGridMenuView.at(index); }

Q_SIGNALS:
    // The progress label has been given a new text during an update run.
    void progressChanged(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void createMenus();
    // A button, its place in the design and the right edge, in twips, up to which it may widen.
    struct ButtonPlace {
        QPushButton* button;
        QRect design;
        int rightLimit;
    };

    QRect pixels(const QRect& twips) const; // a design rectangle at the screen's DPI
    QList<ButtonPlace> buttonPlaces() const;
    int captionWidth(const QPushButton& button, const QFont& font) const;
    void chooseButtonFont();
    QRect buttonGeometry(const ButtonPlace& place) const;
    QSize minimumClientSize() const;
    int progressWidth(const QString& text) const; // in the progress label's font
    void placeControls();
    void reportListLoad();
    bool captureAndSave();
    bool saveListForExit();
    void endProgram();

    void enterRunningState() override;
    void leaveRunningState() override;
    void showProgress(qint64 step, qint64 steps) override;
    void fetchEnded(const FetchReport& report) override;
    void setEditingEnabled(bool enabled);

    ListSession& m_session;
    const EngineTables& m_engines;
    DomainList& m_domains;
    HttpFetcher& m_fetcher;
    const CountText& m_countText;
    UserDialogs& m_dialogs;
    BrowserOpener& m_browser;

    QString m_appTitle;
    int m_popupRow = 0;
    int m_popupCol = 0;
    bool m_exiting = false;
    bool m_exitAfterRun = false;
    bool m_saving = false;
    PopupMenuShower m_popupMenu;

    QWidget* m_client = nullptr;
    GridWidget* m_grdUrls = nullptr;
    std::array<QPushButton*, 2> m_cmdUpdate{};
    QPushButton* m_cmdCancelUpdate = nullptr;
    QPushButton* m_cmdAddDomain = nullptr;
    QPushButton* m_cmdRemoveDomain = nullptr;
    QPushButton* m_cmdExit = nullptr;
    QLabel* m_sklCompleted = nullptr;
    QPushButton* m_cmdFindPageRanking = nullptr;
    QPushButton* m_cmdDownload = nullptr;
    QPushButton* m_cmdPopularityMean = nullptr;

    QAction* m_mnuFileImportUrls = nullptr;
    QAction* m_mnuFileGetUpdate = nullptr;
    QAction* m_mnuFileExit = nullptr;
    QAction* m_mnuWebPagesHome = nullptr;
    QAction* m_mnuHelpAbout = nullptr;
    QMenu* m_mnuGridMenu = nullptr;
    QAction* m_mnuGridMenuViewDomain = nullptr;
    QAction* m_mnuGridMenuUpdate = nullptr;
    QAction* m_mnuGridMenuRemove = nullptr;
    std::array<QAction*, 5> m_mnuGridMenuView{};

    RunOutcomes m_outcomes;
    RepaintThrottle* m_repaintThrottle;
};
