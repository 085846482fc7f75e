// Imports a file of 10,000 new domains into a list of 1,000 through File > Import Urls on the real window
// (offscreen), the file dialog answered; prints the time and the time per line.

#include "app/mainwindow.h"
#include "app/program.h"
#include "support/fakedialogs.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

bool writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    constexpr int listed = 1000;
    constexpr int imported = 10000;
    QByteArray list;
    for (int i = 0; i < listed; ++i)
        list += "www.listed-" + QByteArray::number(i) +
                ".example.com|AllTheWeb=1,234|AltaVista=5|Google=67|HotBot=0|MSN=8|\r\n";
    QByteArray lines;
    for (int i = 0; i < imported; ++i)
        lines += "http://www.imported-" + QByteArray::number(i) + ".example.org/index.html\r\n";

    QTemporaryDir dir;
    const QString listPath = dir.filePath(QStringLiteral("brenlow.txt"));
    const QString importPath = dir.filePath(QStringLiteral("import.txt"));
    if (!writeFile(listPath, list) || !writeFile(importPath, lines))
        return 1;

    FakeDialogs dialogs;
    dialogs.files = {importPath};
    ProgramOptions options;
    options.listFilePath = listPath;
    options.dialogs = &dialogs;
    options.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    Program program(std::move(options));
    program.start();

    QElapsedTimer timer;
    timer.start();
    program.frmMain().findChild<QAction*>(QStringLiteral("mnuFileImportUrls"))->trigger();
    const double milliseconds = timer.nsecsElapsed() / 1e6;

    std::printf("records after the import   %d (expected %d)\n", program.session().domains().count(),
                listed + imported);
    std::printf("import of %d lines      %8.1f ms   goal < 2000 ms\n", imported, milliseconds);
    std::printf("per line                   %8.1f us\n", milliseconds * 1000 / imported);
    return program.session().domains().count() == listed + imported ? 0 : 1;
}
