// ExtractLinkCount over a 1 MiB result page whose markers stand near its end, for each engine; prints MB/s.

#include "engine/enginecatalogue.h"
#include "engine/linkcount.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype pageSize = 1 << 20;

// Filler that looks like result-page HTML and is full of near misses for the markers ("Results", "of", "<b>").
QByteArray fillerHtml()
{
    const QByteArray row = "<p class=g><a href=http://www.example.org/results/>Search results of the web</a><br>"
                           "<font size=-1>Results of <b>example</b> pages we saw about links.</font></p>\n"_ba;
    QByteArray filler;
    filler.reserve(pageSize);
    while (filler.size() + row.size() < pageSize - 512)
        filler += row;
    return filler;
}

QByteArray tailFor(const QString& engine)
{
    if (engine == u"AllTheWeb")
        return "Displaying results <b>1</b> - <b>10</b> of <b>48,213</b> web pages found"_ba;
    if (engine == u"AltaVista")
        return "<B>We found 9,874 results:</B>"_ba;
    if (engine == u"Google")
        return "Results <b>1</b> - <b>10</b> of about <b>12,345</b>. Search took"_ba;
    if (engine == u"HotBot")
        return "Showing Results <B>1 - 10</B> of \r\n3,756 Matches"_ba;
    return "<span>Results 1-15 of about 873 containing</span>"_ba;
}

} // namespace

int main()
{
    EngineTables tables;
    tables.InitGridHeaders();
    tables.InitEngineCatalogue();
    const QByteArray filler = fillerHtml();

    std::printf("%-10s %10s %12s %10s\n", "engine", "count", "page bytes", "MB/s");
    for (const EngineEntry& engine : tables.EngineCatalogue()) {
        QByteArray page = filler + tailFor(engine.name);
        page += QByteArray(pageSize - page.size(), ' ');
        constexpr int rounds = 200;
        qint64 checksum = 0;
        QElapsedTimer timer;
        timer.start();
        for (int round = 0; round < rounds; ++round)
            checksum += ExtractLinkCount(page, engine.name);
        const double seconds = timer.nsecsElapsed() / 1e9;
        const double megabytes = double(page.size()) * rounds / 1e6;
        std::printf("%-10s %10lld %12lld %10.0f\n", qPrintable(engine.name), checksum / rounds,
                    static_cast<long long>(page.size()), megabytes / seconds);
    }
    return 0;
}
