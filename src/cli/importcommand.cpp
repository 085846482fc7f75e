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

using namespace Qt::StringLiterals;

int ImportCommand::execute(ListSession& session, Invocation& invocation, const QStringList& arguments)
{
    const QString path = arguments.first();
    QString error;
    std::optional<QByteArray> contents;
    if (path == u"-"_s) {
        contents = invocation.readInput();
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
