// The window's history view of one domain over a year of daily runs of a list of 1,000 domains: from Ctrl+H on
// the domain's row until the view is on screen and drawn, on the real window (offscreen).

#include "app/historyview.h"
#include "app/mainwindow.h"
#include "app/program.h"
#include "grid/gridwidget.h"
#include "historyyear.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <vector>

using bench::domainName;
using bench::median;

namespace {

constexpr int runCount = 365;
constexpr int domainCount = 1000;

HistoryView* openView(QWidget& window)
{
    for (HistoryView* view : window.findChildren<HistoryView*>()) {
        if (view->isVisible())
            return view;
    }
    return nullptr;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("brenlow.txt"));
    QByteArray list;
    for (int i = 0; i < domainCount; ++i)
        list += domainName(i) + "|\r\n";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(list) != list.size())
        return 1;
    file.close();
    const QString problem = bench::generateYear(path, runCount, domainCount);
    if (!problem.isEmpty()) {
        std::printf("%s\n", qPrintable(problem));
        return 1;
    }

    ProgramOptions options;
    options.listFilePath = path;
    options.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    Program program(std::move(options));
    program.start();
    MainWindow& window = program.frmMain();
    GridWidget& grid = *program.frmMain().findChild<GridWidget*>();

    std::vector<double> opened;
    std::vector<double> drawn;
    int runsShown = 0;
    for (int row = 1; row <= domainCount; row += 111) {
        grid.makeCurrent(row, 0);
        window.activateWindow();
        grid.setFocus();
        if (!QTest::qWaitForWindowActive(&window))
            return 1;
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(&grid, Qt::Key_H, Qt::ControlModifier);
        HistoryView* view = openView(window);
        if (!view || !QTest::qWaitForWindowExposed(view)) {
            std::printf("no history view opened\n");
            return 1;
        }
        QCoreApplication::processEvents(); // the first paint
        opened.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        view->grab();
        drawn.push_back(timer.nsecsElapsed() / 1e6);
        runsShown = view->table().rowCount();
        view->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::printf("history view opens         %8.1f ms   goal < 300 ms (median of %zu domains, %d runs each)\n",
                median(opened), opened.size(), runsShown);
    std::printf("drawn again                %8.1f ms\n", median(drawn));
    return 0;
}
