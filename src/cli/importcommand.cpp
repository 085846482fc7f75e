#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/invocation.h"
#include "cli/terminaltext.h"
#include "domains/textfile.h"
#include "engine/bytetext.h"
#include "workflows/listsession.h"

#include <cerrno>
#include <cstring>

#include <poll.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Everything standard input holds; nothing when a termination signal came first. A pipe or terminal that
// keeps the command waiting is watched in short slices, so that Ctrl-C ends the wait.
std::optional<QByteArray> readInput(std::FILE* in, const Invocation& invocation)
{
    const int fd = ::fileno(in);
    QByteArray bytes;
    char buffer[65536];
    if (fd < 0) { // a stream in memory
        std::size_t count = 0;
        while ((count = std::fread(buffer, 1, sizeof buffer, in)) > 0)
            bytes.append(buffer, qsizetype(count));
        return bytes;
    }
    for (;;) {
        if (invocation.signalReceived() != 0)
            return std::nullopt;
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, 100) <= 0)
            continue;
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count == 0)
            return bytes;
        if (count > 0)
            bytes.append(buffer, count);
        else if (errno != EINTR && errno != EAGAIN)
            return std::nullopt;
    }
}

} // namespace

int ImportCommand::execute(ListSession& session, Invocation& invocation, const QStringList& arguments)
{
    const QString path = arguments.first();
    QString error;
    std::optional<QByteArray> contents;
    if (path == u"-"_s) {
        contents = readInput(invocation.console.in(), invocation);
        if (!contents && invocation.signalReceived() != 0)
            return ExitStatus::SignalBase + invocation.signalReceived();
        error = QString::fromLocal8Bit(std::strerror(errno));
    } else {
        contents = readTextFile(path, error);
    }
    if (!contents) {
        invocation.console.error(u"the file %1 cannot be read: %2; no domain was imported"_s.arg(path, error));
        return ExitStatus::Usage;
    }
    const DomainEditor::AddSummary summary =
        session.editor().importContents(*contents, [&] { return invocation.signalReceived() != 0; });
    const int status = invocation.saveList(session);
    if (status != ExitStatus::Ok)
        return status;
    QString line = u"%1 added, %2 already listed, %3 rejected"_s.arg(summary.added)
                       .arg(summary.alreadyListed)
                       .arg(summary.rejected);
    if (summary.rejected > 0)
        line += u" (the first: %1)"_s.arg(printableText(textFromBytes(summary.firstRejected)));
    invocation.console.print((line + u'\n').toUtf8());
    return status;
}
