#include "app/windowcontrols.h"

#include "domains/productsite.h"
#include "grid/gridwidget.h"

#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

template <typename Object> Object* named(Object* object, const QString& name)
{
    object->setObjectName(name);
    return object;
}

} // namespace

WindowControls WindowControls::create(QMainWindow& window)
{
    WindowControls c;
    c.client = named(new QWidget(&window), u"client"_s);
    window.setCentralWidget(c.client);
    c.grdUrls = named(new GridWidget(c.client), u"grdUrls"_s);
    const auto button = [&](const QString& name, const QString& caption) {
        return named(new QPushButton(caption, c.client), name);
    };
    c.cmdUpdate[0] = button(u"cmdUpdate0"_s, u"Update All"_s);
    c.cmdUpdate[1] = button(u"cmdUpdate1"_s, u"Update Selected"_s);
    c.cmdCancelUpdate = button(u"cmdCancelUpdate"_s, u"Cancel"_s);
    c.cmdCancelUpdate->hide();
    c.cmdAddDomain = button(u"cmdAddDomain"_s, u"Add Domain"_s);
    c.cmdRemoveDomain = button(u"cmdRemoveDomain"_s, u"Remove Domain"_s);
    c.cmdExit = button(u"cmdExit"_s, u"Exit"_s);
    c.cmdFindPageRanking = button(u"cmdFindPageRanking"_s, u"Where I Do Rank In Free Search Engines?"_s);
    c.cmdDownload = button(u"cmdDownload"_s, u"Download "_s + QString::fromLatin1(ProductSite::CompanionName));
    c.cmdPopularityMean = button(u"cmdPopularityMean"_s, u"What Does Popularity Mean To Me?"_s);
    c.sklCompleted = named(new QLabel(c.client), u"sklCompleted"_s);

    QMenu* file = window.menuBar()->addMenu(u"&File"_s);
    c.mnuFileImportUrls = named(file->addAction(u"Import Urls"_s), u"mnuFileImportUrls"_s);
    file->addSeparator();
    c.mnuFileGetUpdate = named(file->addAction(u"&Update Now!"_s), u"mnuFileGetUpdate"_s);
    file->addSeparator();
    c.mnuFileExit = named(file->addAction(u"&Exit"_s), u"mnuFileExit"_s);

    QMenu* help = window.menuBar()->addMenu(u"&Help"_s);
    QMenu* webPages = help->addMenu(u"Web Pages"_s);
    c.mnuWebPagesHome = named(webPages->addAction(u"Tarvin Home"_s), u"mnuWebPagesHome"_s);
    help->addSeparator();
    c.mnuHelpAbout = named(help->addAction(u"About"_s), u"mnuHelpAbout"_s);
    return c;
}
