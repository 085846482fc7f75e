#include "app/mainwindow.h"

#include "app/apptitle.h"
#include "app/centreform.h"
#include "app/repaintthrottle.h"
#include "domains/userdialogs.h"
#include "engine/enginecatalogue.h"
#include "grid/gridwidget.h"
#include "net/httpfetcher.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

// The window's design in twips (1/1440 inch): the client area and each control's left, top, width and height.
constexpr QSize designClient{9240, 6855};
constexpr QRect updateAllPlace{240, 120, 1695, 375};
constexpr QRect cancelPlace{1200, 120, 1695, 375};
constexpr QRect updateSelectedPlace{2160, 120, 1695, 375};
constexpr QRect addDomainPlace{4560, 120, 1575, 375};
constexpr QRect removeDomainPlace{6360, 120, 1695, 375};
constexpr QRect exitPlace{8640, 120, 495, 375};
constexpr QRect completedPlace{4080, 600, 1575, 255};
constexpr QRect gridPlace{120, 840, 9000, 5370};
constexpr QRect findPageRankingPlace{120, 6360, 3735, 375};
constexpr QRect downloadPlace{4080, 6360, 2055, 375};
constexpr QRect popularityMeanPlace{6360, 6360, 2775, 375};

const QString viewResultsCaption = u"View Results From : "_s;

} // namespace

MainWindow::MainWindow(EngineTables& engines, DomainList& domains, HttpFetcher& fetcher, const CountText& countText,
                       UserDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent)
    , m_engines(engines)
    , m_domains(domains)
    , m_fetcher(fetcher)
    , m_countText(countText)
    , m_dialogs(dialogs)
    , m_client(new QWidget(this))
    , m_grdUrls(new GridWidget(m_client))
    , m_grid(*m_grdUrls, domains, engines, countText)
    , m_run(*m_grdUrls, fetcher, engines, countText, *this)
    , m_repaintThrottle(new RepaintThrottle(*this))
{
    setCentralWidget(m_client);
    createControls();
    createMenus();
    m_client->installEventFilter(this);

    const auto pixels = [this](int twips) { return qRound(twips * logicalDpiX() / 1440.0); };
    m_client->setMinimumSize(pixels(designClient.width()), qRound(designClient.height() * logicalDpiY() / 1440.0));
    resize(m_client->minimumSize() + QSize(0, menuBar()->sizeHint().height()));
    placeControls();
}

MainWindow::~MainWindow() = default;

void MainWindow::createControls()
{
    const auto button = [this](const QString& caption) { return new QPushButton(caption, m_client); };
    m_cmdUpdate[0] = button(u"Update All"_s);
    m_cmdUpdate[1] = button(u"Update Selected"_s);
    m_cmdCancelUpdate = button(u"Cancel"_s);
    m_cmdCancelUpdate->hide();
    m_cmdAddDomain = button(u"Add Domain"_s);
    m_cmdRemoveDomain = button(u"Remove Domain"_s);
    m_cmdExit = button(u"Exit"_s);
    m_cmdFindPageRanking = button(u"Where I Do Rank In Free Search Engines?"_s);
    m_cmdDownload = button(u"Download"_s);
    m_cmdPopularityMean = button(u"What Does Popularity Mean To Me?"_s);
    m_sklCompleted = new QLabel(m_client);

    connect(m_cmdUpdate[0], &QPushButton::clicked, this, [this] { cmdUpdate_Click(0); });
    connect(m_cmdUpdate[1], &QPushButton::clicked, this, [this] { cmdUpdate_Click(1); });
    connect(m_cmdCancelUpdate, &QPushButton::clicked, this, &MainWindow::cmdCancelUpdate_Click);
    connect(m_cmdExit, &QPushButton::clicked, this, &MainWindow::cmdExit_Click);
}

void MainWindow::createMenus()
{
    QMenu* file = menuBar()->addMenu(u"&File"_s);
    m_mnuFileImportUrls = file->addAction(u"Import Urls"_s);
    file->addSeparator();
    m_mnuFileGetUpdate = file->addAction(u"&Update Now!"_s);
    file->addSeparator();
    m_mnuFileExit = file->addAction(u"&Exit"_s);
    connect(m_mnuFileExit, &QAction::triggered, this, &MainWindow::mnuFileExit_Click);

    QMenu* help = menuBar()->addMenu(u"&Help"_s);
    QMenu* webPages = help->addMenu(u"Web Pages"_s);
    m_mnuWebPagesHome = webPages->addAction(u"Tarvin Home"_s);
    help->addSeparator();
    m_mnuHelpAbout = help->addAction(u"About"_s);

    // The grid's pop-up menu belongs to the window but never to its menu bar.
    m_mnuGridMenu = new QMenu(u"Grid"_s, this);
    m_mnuGridMenuViewDomain = m_mnuGridMenu->addAction(u"View Domain"_s);
    m_mnuGridMenuUpdate = m_mnuGridMenu->addAction(u"Update This Domain Only"_s);
    m_mnuGridMenuRemove = m_mnuGridMenu->addAction(u"Remove This Domain"_s);
    m_mnuGridMenu->addSeparator();
    for (QAction*& item : m_mnuGridMenuView)
        item = m_mnuGridMenu->addAction(viewResultsCaption);
    connect(m_mnuGridMenuUpdate, &QAction::triggered, this, &MainWindow::mnuGridMenuUpdate_Click);
}

void MainWindow::placeControls()
{
    // Controls keep their design places; the grid takes what the window gains, and the bottom row of buttons
    // stays below it.
    const double scaleX = logicalDpiX() / 1440.0;
    const double scaleY = logicalDpiY() / 1440.0;
    const auto pixels = [&](const QRect& twips) {
        return QRect(qRound(twips.x() * scaleX), qRound(twips.y() * scaleY), qRound(twips.width() * scaleX),
                     qRound(twips.height() * scaleY));
    };
    const QSize grown = m_client->size() - m_client->minimumSize();
    const int down = std::max(grown.height(), 0);

    m_cmdUpdate[0]->setGeometry(pixels(updateAllPlace));
    m_cmdCancelUpdate->setGeometry(pixels(cancelPlace));
    m_cmdUpdate[1]->setGeometry(pixels(updateSelectedPlace));
    m_cmdAddDomain->setGeometry(pixels(addDomainPlace));
    m_cmdRemoveDomain->setGeometry(pixels(removeDomainPlace));
    m_cmdExit->setGeometry(pixels(exitPlace));
    m_sklCompleted->setGeometry(pixels(completedPlace));
    m_grdUrls->setGeometry(pixels(gridPlace).adjusted(0, 0, std::max(grown.width(), 0), down));
    m_cmdFindPageRanking->setGeometry(pixels(findPageRankingPlace).translated(0, down));
    m_cmdDownload->setGeometry(pixels(downloadPlace).translated(0, down));
    m_cmdPopularityMean->setGeometry(pixels(popularityMeanPlace).translated(0, down));
}

void MainWindow::Form_Load()
{
    CentreForm(*this, 0);
    m_appTitle = ApplicationTitle;
    m_mnuHelpAbout->setText(u"About "_s + m_appTitle);
    setWindowTitle(u"Brenlow - Link Popularity Tool"_s);

    m_engines.InitGridHeaders();
    m_engines.InitEngineCatalogue();
    for (int k = 0; k < EngineCount; ++k)
        m_mnuGridMenuView[k]->setText(m_mnuGridMenuView[k]->text() + m_engines.gridHeader(k + 2));

    reportListLoad(m_domains.LoadDomainList(m_engines.GridHeaders()));
    m_grid.SetupUrlsGrid();
    m_grid.DisplayUrlsData();
    m_grdUrls->makeCurrent(1, 0);
}

void MainWindow::reportListLoad(DomainList::LoadResult result)
{
    const QString file = m_domains.filePath();
    switch (result) {
    case DomainList::LoadResult::Unreadable:
        m_dialogs.message(u"The domain list %1 cannot be read: %2\n\nBrenlow starts with an empty list and will not "
                          u"save over that file."_s.arg(file, m_domains.errorString()));
        break;
    case DomainList::LoadResult::DefaultNotSaved:
        m_dialogs.message(u"The domain list %1 could not be created: %2"_s.arg(file, m_domains.errorString()));
        break;
    case DomainList::LoadResult::Loaded:
    case DomainList::LoadResult::CreatedDefault:
        break;
    }
}

void MainWindow::Form_Resize()
{
    m_grid.ResizeGrid();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_client && event->type() == QEvent::Resize) {
        placeControls();
        Form_Resize();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::cmdUpdate_Click(int index)
{
    if (index == 0)
        UpdateResults(1, m_domains.count());
    else
        UpdateResults(m_grdUrls->Row(), m_grdUrls->Row());
}

void MainWindow::mnuGridMenuUpdate_Click()
{
    UpdateResults(m_popupRow, m_popupRow);
}

void MainWindow::cmdCancelUpdate_Click()
{
    m_fetcher.requestCancel();
}

void MainWindow::UpdateResults(int firstRow, int lastRow)
{
    m_run.UpdateResults(firstRow, lastRow);
    // A close asked for during the run waited for the run to end.
    if (m_exitAfterRun) {
        m_exitAfterRun = false;
        cmdExit_Click();
    }
}

void MainWindow::enterRunningState()
{
    m_sklCompleted->setText(QString(18, u' '));
    m_sklCompleted->show();
    m_cmdAddDomain->setEnabled(false);
    m_cmdRemoveDomain->setEnabled(false);
    m_cmdExit->setEnabled(false);
    m_mnuFileExit->setEnabled(false);
    m_cmdCancelUpdate->show();
    m_cmdUpdate[0]->hide();
    m_cmdUpdate[1]->hide();
    setEditingEnabled(false);
    m_repaintThrottle->setActive(true);
}

void MainWindow::leaveRunningState()
{
    m_repaintThrottle->setActive(false);
    m_sklCompleted->hide();
    m_cmdCancelUpdate->hide();
    m_cmdUpdate[0]->show();
    m_cmdUpdate[1]->show();
    m_cmdAddDomain->setEnabled(true);
    m_cmdRemoveDomain->setEnabled(true);
    m_cmdExit->setEnabled(true);
    m_mnuFileExit->setEnabled(true);
    setEditingEnabled(true);
}

void MainWindow::setEditingEnabled(bool enabled)
{
    // Nothing may change the rows or start a second run while a run walks them.
    m_mnuFileImportUrls->setEnabled(enabled);
    m_mnuGridMenuUpdate->setEnabled(enabled);
    m_mnuGridMenuRemove->setEnabled(enabled);
}

void MainWindow::showProgress(const QString& text)
{
    m_sklCompleted->setText(text);
    Q_EMIT progressChanged(text);
}

void MainWindow::cmdExit_Click()
{
    if (!m_run.isRunning() && captureAndSave())
        endProgram();
}

bool MainWindow::captureAndSave()
{
    m_grid.CaptureUrlsData();
    return saveListForExit();
}

bool MainWindow::saveListForExit()
{
    const QString file = m_domains.filePath();
    if (!m_domains.canSave()) {
        m_dialogs.message(u"The domain list was not saved: %1 could not be read when Brenlow started and is left as "
                          u"it is."_s.arg(file));
        return true;
    }
    if (m_domains.SaveDomainList())
        return true;
    const QString question = u"The domain list could not be saved to %1: %2\n\nThe file still holds the list as it "
                             u"was last saved. Exit without saving the changes?"_s.arg(file, m_domains.errorString());
    return m_dialogs.askYesNo(question) == UserDialogs::Answer::Yes;
}

void MainWindow::endProgram()
{
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
    if (m_run.isRunning()) {
        event->ignore();
        m_exitAfterRun = true;
        cmdCancelUpdate_Click();
        return;
    }
    if (!captureAndSave()) {
        event->ignore();
        return;
    }
    m_exiting = true;
    event->accept();
    QCoreApplication::quit();
}
