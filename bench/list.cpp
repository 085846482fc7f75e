// A list file of 32,767 records with counts (or as many as the first argument says): time to load it, lay out and
// fill the grid, capture the grid and save the list; and the process's peak memory against the file's size. Runs
// the real grid widget on the offscreen platform. "list 2480000" is a list of about 200 MB.

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
#include <cstdlib>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

// Writes the list a few thousand records at a time, so that making it does not add to the peak measured.
bool writeList(QFile& file, const CountText& countText, int recordCount)
{
    QByteArray contents;
    for (int i = 0; i < recordCount; ++i) {
        contents += "www.domain-" + QByteArray::number(i) + ".example.com|";
        const char* names[] = {"AllTheWeb", "AltaVista", "Google", "HotBot", "MSN"};
        for (int engine = 0; engine < 5; ++engine)
            contents += QByteArray(names[engine]) + '=' +
                        countText.format((i * 7919LL + engine * 104729) % 3000000).toLatin1() + '|';
        contents += "\r\n";
        if (contents.size() > 1 << 20 || i == recordCount - 1) {
            if (file.write(contents) != contents.size())
                return false;
            contents.clear();
        }
    }
    return true;
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
    const int recordCount = argc > 1 ? std::atoi(argv[1]) : 32767;

    EngineTables engines;
    engines.InitGridHeaders();
    engines.InitEngineCatalogue();
    const CountText countText{QLocale(QLocale::English, QLocale::UnitedStates)};

    QTemporaryDir dir;
    const QString path = dir.filePath(u"brenlow.txt"_s);
    qint64 fileSize = 0;
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || !writeList(file, countText, recordCount))
            return 1;
        fileSize = file.size();
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
    std::printf("load + layout + display    %8.1f ms   goal < 250 ms for 32,767 records\n", load + display);
    std::printf("capture                    %8.1f ms\n", capture);
    std::printf("save                       %8.1f ms\n", save);
    std::printf("capture + save             %8.1f ms   goal < 100 ms for 32,767 records\n", capture + save);
    std::printf("peak memory                %8.1f MB   %.1f times the list's %.1f MB (goal <= 3)\n",
                usage.ru_maxrss / 1024.0, usage.ru_maxrss * 1024.0 / double(fileSize), fileSize / 1e6);
    return saved ? 0 : 1;
}
