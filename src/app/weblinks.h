#pragma once

#include <QByteArray>
#include <QString>

class BrowserOpener;
struct EngineEntry;

// Opens the page of the product web site that key names ("Tarvin Home", "APP Home", "Requirements",
// "Downloads", "Updates", "FAQ", exactly); any other key opens nothing.
void OpenWebPage(BrowserOpener& browser, const QString& key);

// The engine's result page of the link query for domain: "http://", the engine's host and the query path.
QString resultPageAddress(const EngineEntry& engine, const QByteArray& domain);

// The handlers of the controls that open the product's pages.
void mnuWebPagesHome_Click(BrowserOpener& browser);
void mnuFileGetUpdate_Click(BrowserOpener& browser);
void cmdPopularityMean_Click(BrowserOpener& browser);
void cmdFindPageRanking_Click(BrowserOpener& browser);
void cmdDownload_Click(BrowserOpener& browser);
