#include "cli/commandline.h"
#include "cli/console.h"
#include "version.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brenlow-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BRENLOW_VERSION_TEXT));
    const Console console(stdout, stderr);
    return runCommandLine(QCoreApplication::arguments(), console);
}
