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
