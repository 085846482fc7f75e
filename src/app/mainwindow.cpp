#include "app/mainwindow.h"

#include "app/aboutbox.h"
#include "app/apptitle.h"
#include "app/browseropener.h"
#include "app/centreform.h"
#include "app/messagetext.h"
#include "app/repaintthrottle.h"
#include "app/weblinks.h"
#include "domains/productsite.h"
#include "domains/userdialogs.h"
#include "engine/bytetext.h"
#include "engine/counttext.h"
#include "engine/enginecatalogue.h"
#include "grid/drawntext.h"
#include "grid/gridhittest.h"
#include "grid/gridwidget.h"
#include "net/httpfetcher.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QStyle>

#include <algorithm>
#include <cmath>

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
// The design's right edge of the last button of each row.
constexpr int lastButtonRight = 9135;
// How far the window may grow so that every caption fits whole in the buttons' one font (1/6 inch).
constexpr int windowGrowthLimit = 240;
// Space kept between a button that widens and the next one of its row.
constexpr int buttonSpacing = 120;

// The widest text of the progress label in a run over a list of ordinary size.
const QString widestProgress = u"99999 of 100000  : 100%"_s;

const QString viewResultsCaption = u"View Results From : "_s;
const QString viewDomainCaption = u"View Domain : "_s;

} // namespace

MainWindow::MainWindow(const MainWindowParts& parts, QWidget* parent)
    : QMainWindow(parent)
    , m_session(parts.session)
    , m_engines(parts.session.engines())
    , m_domains(parts.session.domains())
    , m_fetcher(parts.session.fetcher())
    , m_countText(parts.session.countText())
    , m_dialogs(parts.dialogs)
    , m_browser(parts.browser)
    , m_popupMenu([](QMenu& menu) { menu.exec(QCursor::pos()); })
    , m_client(new QWidget(this))
    , m_grdUrls(new GridWidget(m_client))
    , m_outcomes(*m_grdUrls, *statusBar(), m_engines, m_countText.locale())
    , m_repaintThrottle(new RepaintThrottle(*this))
{
    m_session.showIn(*m_grdUrls, *this);
    setWindowIcon(QIcon(u":/brenlow.png"_s));
    setCentralWidget(m_client);
    createControls();
    createMenus();
    m_client->installEventFilter(this);

    chooseButtonFont();
    m_client->setMinimumSize(minimumClientSize());
    resize(m_client->minimumSize() + QSize(0, menuBar()->sizeHint().height() + statusBar()->sizeHint().height()));
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
    m_cmdDownload = button(u"Download "_s + QString::fromLatin1(ProductSite::CompanionName));
    m_cmdPopularityMean = button(u"What Does Popularity Mean To Me?"_s);
    m_sklCompleted = new QLabel(m_client);

    connect(m_cmdUpdate[0], &QPushButton::clicked, this, [this] { cmdUpdate_Click(0); });
    connect(m_cmdUpdate[1], &QPushButton::clicked, this, [this] { cmdUpdate_Click(1); });
    connect(m_cmdCancelUpdate, &QPushButton::clicked, this, &MainWindow::cmdCancelUpdate_Click);
    connect(m_cmdExit, &QPushButton::clicked, this, &MainWindow::cmdExit_Click);
    connect(m_cmdAddDomain, &QPushButton::clicked, this, &MainWindow::cmdAddDomain_Click);
    connect(m_cmdRemoveDomain, &QPushButton::clicked, this, &MainWindow::cmdRemoveDomain_Click);
    connect(m_cmdFindPageRanking, &QPushButton::clicked, this, &MainWindow::cmdFindPageRanking_Click);
    connect(m_cmdDownload, &QPushButton::clicked, this, &MainWindow::cmdDownload_Click);
    connect(m_cmdPopularityMean, &QPushButton::clicked, this, &MainWindow::cmdPopularityMean_Click);

    connect(m_grdUrls, &GridWidget::Click, this, &MainWindow::grdUrls_Click);
    connect(m_grdUrls, &GridWidget::MouseDown, this, &MainWindow::grdUrls_MouseDown);
    connect(m_grdUrls, &GridWidget::MouseUp, this, &MainWindow::grdUrls_MouseUp);
}

void MainWindow::createMenus()
{
    QMenu* file = menuBar()->addMenu(u"&File"_s);
    m_mnuFileImportUrls = file->addAction(u"Import Urls"_s);
    file->addSeparator();
    m_mnuFileGetUpdate = file->addAction(u"&Update Now!"_s);
    file->addSeparator();
    m_mnuFileExit = file->addAction(u"&Exit"_s);
    connect(m_mnuFileImportUrls, &QAction::triggered, this, &MainWindow::mnuFileImportUrls_Click);
    connect(m_mnuFileGetUpdate, &QAction::triggered, this, &MainWindow::mnuFileGetUpdate_Click);
    connect(m_mnuFileExit, &QAction::triggered, this, &MainWindow::mnuFileExit_Click);

    QMenu* help = menuBar()->addMenu(u"&Help"_s);
    QMenu* webPages = help->addMenu(u"Web Pages"_s);
    m_mnuWebPagesHome = webPages->addAction(u"Tarvin Home"_s);
    help->addSeparator();
    m_mnuHelpAbout = help->addAction(u"About"_s);
    connect(m_mnuWebPagesHome, &QAction::triggered, this, &MainWindow::mnuWebPagesHome_Click);
    connect(m_mnuHelpAbout, &QAction::triggered, this, &MainWindow::mnuHelpAbout_Click);

    // The grid's pop-up menu belongs to the window but never to its menu bar.
    m_mnuGridMenu = new QMenu(u"Grid"_s, this);
    m_mnuGridMenuViewDomain = m_mnuGridMenu->addAction(u"View Domain"_s);
    m_mnuGridMenuUpdate = m_mnuGridMenu->addAction(u"Update This Domain Only"_s);
    m_mnuGridMenuRemove = m_mnuGridMenu->addAction(u"Remove This Domain"_s);
    m_mnuGridMenu->addSeparator();
    for (int k = 0; k < EngineCount; ++k) {
        m_mnuGridMenuView[k] = m_mnuGridMenu->addAction(viewResultsCaption);
        connect(m_mnuGridMenuView[k], &QAction::triggered, this, [this, k] { mnuGridMenuView_Click(k); });
    }
    connect(m_mnuGridMenuViewDomain, &QAction::triggered, this, &MainWindow::mnuGridMenuViewDomain_Click);
    connect(m_mnuGridMenuUpdate, &QAction::triggered, this, &MainWindow::mnuGridMenuUpdate_Click);
    connect(m_mnuGridMenuRemove, &QAction::triggered, this, &MainWindow::mnuGridMenuRemove_Click);
}

QRect MainWindow::pixels(const QRect& twips) const
{
    const double scaleX = logicalDpiX() / 1440.0;
    const double scaleY = logicalDpiY() / 1440.0;
    return {qRound(twips.x() * scaleX), qRound(twips.y() * scaleY), qRound(twips.width() * scaleX),
            qRound(twips.height() * scaleY)};
}

QList<MainWindow::ButtonPlace> MainWindow::buttonPlaces() const
{
    // Each button may widen to the right up to the next button shown beside it (Cancel stands in place of the
    // update buttons); the last of a row up to the window's edge moved by windowGrowthLimit.
    const int edge = lastButtonRight + windowGrowthLimit;
    return {
        {m_cmdUpdate[0], updateAllPlace, updateSelectedPlace.left() - buttonSpacing},
        {m_cmdCancelUpdate, cancelPlace, addDomainPlace.left() - buttonSpacing},
        {m_cmdUpdate[1], updateSelectedPlace, addDomainPlace.left() - buttonSpacing},
        {m_cmdAddDomain, addDomainPlace, removeDomainPlace.left() - buttonSpacing},
        {m_cmdRemoveDomain, removeDomainPlace, exitPlace.left() - buttonSpacing},
        {m_cmdExit, exitPlace, edge},
        {m_cmdFindPageRanking, findPageRankingPlace, downloadPlace.left() - buttonSpacing},
        {m_cmdDownload, downloadPlace, popularityMeanPlace.left() - buttonSpacing},
        {m_cmdPopularityMean, popularityMeanPlace, edge},
    };
}

int MainWindow::captionWidth(const QPushButton& button, const QFont& font) const
{
    // The caption with the margins and frame the style puts around it.
    const int margins = style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &button) +
                        2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &button);
    return static_cast<int>(std::ceil(drawnTextWidth(font, button.text(), devicePixelRatioF()))) + margins;
}

void MainWindow::chooseButtonFont()
{
    // The design's sizes suit a narrow font. Every button gets the largest size, from the desktop's down, in which
    // each caption fits whole within the room its button may widen into. Sizes go by whole pixels, so that text
    // is drawn alike at every device pixel ratio.
    const QList<ButtonPlace> places = buttonPlaces();
    QFont font = m_client->font();
    font.setPixelSize(QFontInfo(font).pixelSize());
    const auto fits = [&] {
        return std::all_of(places.begin(), places.end(), [&](const ButtonPlace& place) {
            const int room = pixels(QRect(place.design.left(), 0, place.rightLimit - place.design.left(), 0)).width();
            return captionWidth(*place.button, font) <= room;
        });
    };
    while (!fits() && font.pixelSize() > 8)
        font.setPixelSize(font.pixelSize() - 1);
    for (const ButtonPlace& place : places)
        place.button->setFont(font);
}

QRect MainWindow::buttonGeometry(const ButtonPlace& place) const
{
    QRect geometry = pixels(place.design);
    geometry.setWidth(std::max(geometry.width(), captionWidth(*place.button, place.button->font())));
    return geometry;
}

QSize MainWindow::minimumClientSize() const
{
    // The design's size, wider by what the last buttons of the rows have widened.
    const QSize design = pixels(QRect(QPoint(), designClient)).size();
    const int designRight = pixels(QRect(0, 0, lastButtonRight, 0)).width();
    int right = designRight;
    for (const ButtonPlace& place : buttonPlaces()) {
        const QRect geometry = buttonGeometry(place);
        right = std::max(right, geometry.x() + geometry.width());
    }
    return {design.width() + right - designRight, design.height()};
}

int MainWindow::progressWidth(const QString& text) const
{
    return static_cast<int>(std::ceil(drawnTextWidth(m_sklCompleted->font(), text, devicePixelRatioF())));
}

void MainWindow::placeControls()
{
    // Controls keep their design places; the grid takes what the window gains over the design, and the bottom
    // row of buttons stays below it.
    const QSize grown = m_client->size() - pixels(QRect(QPoint(), designClient)).size();
    const int down = std::max(grown.height(), 0);

    for (const ButtonPlace& place : buttonPlaces()) {
        const bool bottomRow = place.design.top() > gridPlace.top();
        place.button->setGeometry(buttonGeometry(place).translated(0, bottomRow ? down : 0));
    }
    QRect completed = pixels(completedPlace);
    completed.setWidth(std::max(completed.width(), progressWidth(widestProgress)));
    completed.setHeight(
        std::max(completed.height(), static_cast<int>(std::ceil(QFontMetricsF(m_sklCompleted->font()).height()))));
    m_sklCompleted->setGeometry(completed);
    m_grdUrls->setGeometry(pixels(gridPlace).adjusted(0, 0, std::max(grown.width(), 0), down));
}

void MainWindow::Form_Load()
{
    CentreForm(*this, 0);
    m_appTitle = ApplicationTitle;
    m_mnuHelpAbout->setText(u"About "_s + m_appTitle);
    setWindowTitle(u"Brenlow - Link Popularity Tool"_s);

    for (int k = 0; k < EngineCount; ++k)
        m_mnuGridMenuView[k]->setText(m_mnuGridMenuView[k]->text() + m_engines.gridHeader(k + 2));

    if (!m_session.load())
        reportListLoad();
}

void MainWindow::reportListLoad()
{
    // What the user can expect of the list after the problem.
    QString consequence;
    switch (m_session.problem()) {
    case ListProblem::Unreadable:
        consequence = u"\n\nBrenlow starts with an empty list and will not save over that file."_s;
        break;
    case ListProblem::FolderUnreadable:
        consequence = u"\n\nBrenlow starts with an empty list and will not save it."_s;
        break;
    default:
        break;
    }
    m_dialogs.message(sentenceOf(m_session.problemText()) + consequence);
}

void MainWindow::Form_Resize()
{
    m_session.grid().ResizeGrid();
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
    // The run hides the button that started it, and the focus moves on to the next control that can take it,
    // a web page button; it comes back to the button (or the grid, for the pop-up menu) when the run ends.
    const QPointer<QWidget> focused = focusWidget();
    m_session.run().UpdateResults(firstRow, lastRow);
    m_outcomes.runEnded(m_session.run().lastRun());
    if (focused && focused->isVisible() && focused->isEnabled())
        focused->setFocus(Qt::OtherFocusReason);
    // A close asked for during the run waited for the run to end.
    if (m_exitAfterRun) {
        m_exitAfterRun = false;
        cmdExit_Click();
    }
}

void MainWindow::enterRunningState()
{
    m_outcomes.runStarted();
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

void MainWindow::showProgress(qint64 step, qint64 steps)
{
    const QString text = UpdateRun::progressText(step, steps);
    // A run over a very long list may need more than the label was given for ordinary ones. Only a text
    // longer than those is measured: measuring every step would slow the run down.
    if (text.size() > widestProgress.size()) {
        const int needed = progressWidth(text);
        if (needed > m_sklCompleted->width())
            m_sklCompleted->resize(needed, m_sklCompleted->height());
    }
    m_sklCompleted->setText(text);
    Q_EMIT progressChanged(text);
}

void MainWindow::fetchEnded(const FetchReport& report)
{
    m_outcomes.fetchEnded(report);
}

void MainWindow::cmdRemoveDomain_Click()
{
    m_session.editor().cmdRemoveDomain_Click(m_dialogs);
    m_outcomes.keepListed(m_domains);
}

void MainWindow::cmdExit_Click()
{
    if (!isUpdating() && captureAndSave())
        endProgram();
}

bool MainWindow::captureAndSave()
{
    // A second close (a termination signal, say) while the user is asked about a failed save waits for that
    // answer instead of asking again.
    if (m_saving)
        return false;
    const QScopedValueRollback saving(m_saving, true);
    return saveListForExit();
}

bool MainWindow::saveListForExit()
{
    if (!m_domains.canSave()) {
        m_dialogs.message(u"The domain list was not saved: %1 could not be read when Brenlow started and is left as "
                          u"it is."_s.arg(m_domains.filePath()));
        return true;
    }
    if (m_session.save())
        return true;
    const QString question =
        sentenceOf(m_session.problemText()) +
        u"\n\nThe file still holds the list as it was last saved. Exit without saving the changes?"_s;
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
    if (isUpdating()) {
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

void MainWindow::grdUrls_Click()
{
    // A click on an empty cell brings the current cell back to the first domain.
    if (m_grdUrls->TextMatrix(m_grdUrls->Row(), m_grdUrls->Col()).isEmpty())
        m_grdUrls->makeCurrent(1, 0);
}

void MainWindow::grdUrls_MouseDown(int /*button*/, int /*shift*/, float x, float y)
{
    // Every button and shift state alike: the press picks the row the pop-up menu acts on.
    GetGridCellFromPoint(*m_grdUrls, x, y, m_popupRow, m_popupCol);
    const QByteArray domain = m_domains.GetDomainField(m_popupRow, 0);
    if (domain.isEmpty() || domain == "0")
        return;
    m_mnuGridMenuViewDomain->setText(viewDomainCaption + textFromBytes(domain));
    m_popupMenu(*m_mnuGridMenu);
}

void MainWindow::mnuGridMenuRemove_Click()
{
    m_grdUrls->makeCurrent(m_popupRow, m_popupCol);
    cmdRemoveDomain_Click();
}

void MainWindow::mnuGridMenuViewDomain_Click()
{
    const QByteArray domain = m_domains.GetDomainField(m_popupRow, 0);
    if (!domain.isEmpty() && domain != "0")
        m_browser.openAddress(u"http://"_s + textFromBytes(domain));
}

void MainWindow::mnuGridMenuView_Click(int index)
{
    // The domain comes back out of the caption the last press gave the "View Domain" item.
    const QString caption = m_mnuGridMenuViewDomain->text();
    const QByteArray domain = trimSpaces(bytesFromText(caption.mid(viewDomainCaption.size() - 1))).toByteArray();
    m_browser.openAddress(resultPageAddress(m_engines.engine(index), domain));
}

void MainWindow::mnuWebPagesHome_Click()
{
    OpenWebPage(m_browser, u"Tarvin Home"_s);
}

void MainWindow::mnuFileGetUpdate_Click()
{
    OpenWebPage(m_browser, u"Updates"_s);
}

void MainWindow::cmdPopularityMean_Click()
{
    m_browser.openAddress(QString::fromLatin1(ProductSite::PopularityPage));
}

void MainWindow::cmdFindPageRanking_Click()
{
    m_browser.openAddress(QString::fromLatin1(ProductSite::CompanionPage));
}

void MainWindow::cmdDownload_Click()
{
    m_browser.openAddress(QString::fromLatin1(ProductSite::CompanionDownload));
}

void MainWindow::mnuHelpAbout_Click()
{
    AboutBox about(m_appTitle, windowIcon(), m_browser, this);
    about.exec();
}
