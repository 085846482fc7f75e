#include "cli/commandline.h"
#include "cli/console.h"
#include "version.h"

#include <QCoreApplication>

#include <csignal>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brenlow-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BRENLOW_VERSION_TEXT));
    // A reader of standard output that goes away (show | head) is noticed as a failed write, so that the command
    // ends in order, its lock released.
    ::signal(SIGPIPE, SIG_IGN);
    const Console console(stdout, stderr);
    return runCommandLine(QCoreApplication::arguments(), console);
}
