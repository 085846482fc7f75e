#include "app/windowcontrols.h"

#include "app/doubleclickguard.h"
#include "app/findbar.h"
#include "domains/productsite.h"
#include "grid/gridwidget.h"

#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>

using namespace Qt::StringLiterals;

namespace {

template <typename Object> Object* named(Object* object, const QString& name)
{
    object->setObjectName(name);
    return object;
}

// A key that clicks a button, as long as the button is shown and enabled; the tooltip names the key.
void clickOnKey(QPushButton& button, const QKeySequence& key, const QString& tip)
{
    // A shortcut of the button itself would replace its mnemonic; one that belongs to it works only while it is shown.
    auto* shortcut = new QShortcut(key, &button);
    QObject::connect(shortcut, &QShortcut::activated, &button, [&button] {
        if (button.isVisible() && button.isEnabled())
            button.click();
    });
    button.setToolTip(tip + u" ("_s + key.toString(QKeySequence::NativeText) + u")"_s);
}

} // namespace

WindowControls WindowControls::create(QMainWindow& window)
{
    WindowControls c;
    // The client area scrolls only when the screen is too small for even its buttons wrapped onto more lines.
    auto* scroller = named(new QScrollArea(&window), u"clientScroller"_s);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setFocusPolicy(Qt::NoFocus);
    scroller->setWidgetResizable(true);
    c.client = named(new QWidget, u"client"_s);
    scroller->setWidget(c.client);
    window.setCentralWidget(scroller);
    const auto button = [&](const QString& name, const QString& caption) {
        return named(new QPushButton(caption, c.client), name);
    };
    // Made in the order Tab visits them: the top row, the grid and its find bar, the bottom row.
    c.cmdUpdate[0] = button(u"cmdUpdate0"_s, u"&Update All"_s);
    c.cmdCancelUpdate = button(u"cmdCancelUpdate"_s, u"&Cancel"_s);
    c.cmdCancelUpdate->hide();
    new DoubleClickGuard(*c.cmdCancelUpdate);
    c.cmdUpdate[1] = button(u"cmdUpdate1"_s, u"Update &Selected"_s);
    c.cmdAddDomain = button(u"cmdAddDomain"_s, u"&Add Domain"_s);
    c.cmdRemoveDomain = button(u"cmdRemoveDomain"_s, u"&Remove Domain"_s);
    c.cmdExit = button(u"cmdExit"_s, u"E&xit"_s);
    c.sklCompleted = named(new QLabel(c.client), u"sklCompleted"_s);
    // Its text is its name, which screen readers hear change; what it is goes in the description.
    c.sklCompleted->setAccessibleDescription(u"Update progress"_s);
    c.grdUrls = named(new GridWidget(c.client), u"grdUrls"_s);
    c.grdUrls->setAccessibleName(u"Domains and their link counts"_s);
    c.findBar = new FindBar(*c.grdUrls, c.client);
    c.cmdFindPageRanking = button(u"cmdFindPageRanking"_s, u"&Where I Do Rank In Free Search Engines?"_s);
    c.cmdDownload = button(u"cmdDownload"_s, u"&Download "_s + QString::fromLatin1(ProductSite::CompanionName));
    c.cmdPopularityMean = button(u"cmdPopularityMean"_s, u"What Does &Popularity Mean To Me?"_s);

    clickOnKey(*c.cmdUpdate[0], QKeySequence(Qt::Key_F5), u"Update every domain"_s);
    clickOnKey(*c.cmdUpdate[1], QKeySequence(Qt::SHIFT | Qt::Key_F5), u"Update the current domain"_s);
    clickOnKey(*c.cmdCancelUpdate, QKeySequence(Qt::Key_Escape), u"Cancel the update"_s);
    clickOnKey(*c.cmdAddDomain, QKeySequence(Qt::Key_Insert), u"Add a domain to the list"_s);
    clickOnKey(*c.cmdRemoveDomain, QKeySequence(Qt::Key_Delete), u"Remove the current domain"_s);

    QMenu* file = window.menuBar()->addMenu(u"&File"_s);
    c.mnuFileImportUrls = named(file->addAction(u"&Import Urls"_s), u"mnuFileImportUrls"_s);
    c.mnuFileImportUrls->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    c.mnuFileFind = named(file->addAction(u"&Find Domain"_s), u"mnuFileFind"_s);
    c.mnuFileFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    QObject::connect(c.mnuFileFind, &QAction::triggered, c.findBar, &FindBar::open);
    c.mnuFileSort = named(file->addMenu(u"&Sort List By"_s), u"mnuFileSort"_s);
    file->addSeparator();
    c.mnuFileGetUpdate = named(file->addAction(u"&Update Now!"_s), u"mnuFileGetUpdate"_s);
    file->addSeparator();
    c.mnuFileWebGraph = named(file->addAction(u"Update From &Web Graph\u2026"_s), u"mnuFileWebGraph"_s);
    c.mnuFileSaveListAs = named(file->addAction(u"Save List &As\u2026"_s), u"mnuFileSaveListAs"_s);
    c.mnuFileSaveListAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    c.mnuFileExportHistory = named(file->addAction(u"Export &History\u2026"_s), u"mnuFileExportHistory"_s);
    file->addSeparator();
    c.mnuFileExit = named(file->addAction(u"&Exit"_s), u"mnuFileExit"_s);
    c.mnuFileExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    c.keyHistory = named(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), &window), u"keyHistory"_s);
    c.cmdExit->setToolTip(u"Save the list and exit ("_s + c.mnuFileExit->shortcut().toString(QKeySequence::NativeText) +
                          u")"_s);

    QMenu* help = window.menuBar()->addMenu(u"&Help"_s);
    QMenu* webPages = help->addMenu(u"&Web Pages"_s);
    c.mnuWebPagesHome = named(webPages->addAction(u"Tarvin &Home"_s), u"mnuWebPagesHome"_s);
    help->addSeparator();
    c.mnuHelpAbout = named(help->addAction(u"&About"_s), u"mnuHelpAbout"_s);
    return c;
}
