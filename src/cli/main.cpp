#include "cli/commandline.h"
#include "cli/console.h"
#include "engine/bytetext.h"
#include "version.h"

#include <QCoreApplication>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace {

// A standard descriptor that the caller closed would be taken by the next file opened (the list, say), and what
// was meant for it would reach that file: /dev/null takes its place first. True when it was closed.
bool fillClosedDescriptor(int fd, int flags)
{
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
        return false;
    const int opened = ::open("/dev/null", flags);
    if (opened >= 0 && opened != fd) {
        ::dup2(opened, fd);
        ::close(opened);
    }
    return true;
}

// Qt's own warnings speak Qt's language, not the user's: the commands tell what went wrong in their own words, and
// only a fatal error is shown.
void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtFatalMsg)
        return;
    const QByteArray line = "brenlow-cli: internal error: " + message.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stderr);
}

} // namespace

int main(int argc, char* argv[])
{
    // Before anything opens a descriptor: Qt's event loop takes one at once.
    const bool inputClosed = fillClosedDescriptor(STDIN_FILENO, O_RDONLY);
    fillClosedDescriptor(STDOUT_FILENO, O_WRONLY);
    fillClosedDescriptor(STDERR_FILENO, O_WRONLY);

    qInstallMessageHandler(quietQtMessages);
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brenlow-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BRENLOW_VERSION_TEXT));
    // A reader of standard output that goes away (show | head) is noticed as a failed write, so that the command
    // ends in order, its lock released.
    ::signal(SIGPIPE, SIG_IGN);
    const Console console(stdout, stderr, stdin, inputClosed);
    // Arguments as bytes, as domains are: a Latin-1 name from a list of another system is named by its own bytes,
    // which the locale's decoding would replace.
    QStringList arguments;
    for (int at = 0; at < argc; ++at)
        arguments.append(textFromBytes(argv[at]));
    return runCommandLine(arguments, console);
}
