#include "app/weblinks.h"

#include "app/browseropener.h"
#include "domains/productsite.h"
#include "engine/bytetext.h"
#include "engine/enginecatalogue.h"

#include <QDesktopServices>
#include <QUrl>

#include <array>
#include <utility>

using namespace Qt::StringLiterals;

void QtBrowserOpener::openAddress(const QString& address)
{
    QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
}

void OpenWebPage(BrowserOpener& browser, const QString& key)
{
    static constexpr std::array<std::pair<QStringView, const char*>, 6> pages{{
        {u"Tarvin Home", ProductSite::HomePage},
        {u"APP Home", ProductSite::HomePage},
        {u"Requirements", ProductSite::RequirementsPage},
        {u"Downloads", ProductSite::DownloadsPage},
        {u"Updates", ProductSite::UpdatesPage},
        {u"FAQ", ProductSite::FaqPage},
    }};
    for (const auto& [pageKey, address] : pages) {
        if (key == pageKey) {
            browser.openAddress(QString::fromLatin1(address));
            return;
        }
    }
}

QString resultPageAddress(const EngineEntry& engine, const QByteArray& domain)
{
    return textFromBytes("http://" + engine.host + linkQueryPath(engine, domain));
}

void mnuWebPagesHome_Click(BrowserOpener& browser)
{
    OpenWebPage(browser, u"Tarvin Home"_s);
}

void mnuFileGetUpdate_Click(BrowserOpener& browser)
{
    OpenWebPage(browser, u"Updates"_s);
}

void cmdPopularityMean_Click(BrowserOpener& browser)
{
    browser.openAddress(QString::fromLatin1(ProductSite::PopularityPage));
}

void cmdFindPageRanking_Click(BrowserOpener& browser)
{
    browser.openAddress(QString::fromLatin1(ProductSite::CompanionPage));
}

void cmdDownload_Click(BrowserOpener& browser)
{
    browser.openAddress(QString::fromLatin1(ProductSite::CompanionDownload));
}
