// A list file of 32,767 records with counts: time to load it, lay out and fill the grid, capture the grid and save
// the list; and the process's peak memory. Runs the real grid widget on the offscreen platform.

#include "domains/domainlist.h"
#include "engine/counttext.h"
#include "engine/enginecatalogue.h"
#include "grid/domaingrid.h"
#include "grid/gridwidget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int recordCount = 32767;

QByteArray listFile(const CountText& countText)
{
    QByteArray contents;
    for (int i = 0; i < recordCount; ++i) {
        contents += "www.domain-" + QByteArray::number(i) + ".example.com|";
        const char* names[] = {"AllTheWeb", "AltaVista", "Google", "HotBot", "MSN"};
        for (int engine = 0; engine < 5; ++engine)
            contents += QByteArray(names[engine]) + '=' +
                        countText.format((i * 7919LL + engine * 104729) % 3000000).toLatin1() + '|';
        contents += "\r\n";
    }
    return contents;
}

double milliseconds(const QElapsedTimer& timer)
{
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    EngineTables engines;
    engines.InitGridHeaders();
    engines.InitEngineCatalogue();
    const CountText countText{QLocale(QLocale::English, QLocale::UnitedStates)};

    QTemporaryDir dir;
    const QString path = dir.filePath(u"brenlow.txt"_s);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(listFile(countText)) < 0)
            return 1;
    }

    GridWidget widget;
    widget.resize(600, 358);
    widget.show();
    DomainList list(path);
    DomainGrid grid(&widget, list, engines, countText);

    QElapsedTimer timer;
    timer.start();
    list.LoadDomainList();
    const double load = milliseconds(timer);
    timer.restart();
    grid.SetupUrlsGrid();
    grid.DisplayUrlsData();
    const double display = milliseconds(timer);
    application.processEvents();
    const double paint = milliseconds(timer);

    timer.restart();
    grid.CaptureUrlsData();
    const double capture = milliseconds(timer);
    timer.restart();
    const bool saved = list.SaveDomainList();
    const double save = milliseconds(timer);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("records                    %d (%s)\n", list.count(), saved ? "saved" : "NOT SAVED");
    std::printf("load                       %8.1f ms\n", load);
    std::printf("layout + display           %8.1f ms (first paint done at %.1f ms)\n", display, paint);
    std::printf("load + layout + display    %8.1f ms   goal < 300 ms\n", load + display);
    std::printf("capture                    %8.1f ms\n", capture);
    std::printf("save                       %8.1f ms\n", save);
    std::printf("capture + save             %8.1f ms   goal < 200 ms\n", capture + save);
    std::printf("peak memory                %8.1f MB   goal < 150 MB\n", usage.ru_maxrss / 1024.0);
    return saved ? 0 : 1;
}
