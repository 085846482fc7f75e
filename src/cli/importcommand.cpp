#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/invocation.h"
#include "cli/terminaltext.h"
#include "engine/bytetext.h"
#include "workflows/listsession.h"

#include <QIODevice>

using namespace Qt::StringLiterals;

bool ImportCommand::readsStandardInput(const QCommandLineParser&, const QStringList& arguments) const
{
    return arguments.value(0) == u"-"_s;
}

int ImportCommand::execute(ListSession& session, Invocation& invocation, const QStringList& arguments)
{
    const QString path = arguments.first();
    if (path.isEmpty()) {
        invocation.console.error(u"the file name given to import is empty; name a file, or - for standard input"_s);
        return ExitStatus::Usage;
    }
    const QString source = path == u"-"_s ? u"standard input"_s : u"the file "_s + path;
    QString error;
    const std::unique_ptr<QIODevice> input = invocation.openInput(path, error);
    const QByteArray contents = input ? input->readAll() : QByteArray();
    if (invocation.stopRequested())
        return ExitStatus::SignalBase + invocation.signalReceived();
    if (!input || !input->atEnd()) {
        invocation.console.error(
            u"%1 cannot be read: %2; no domain was imported"_s.arg(source, input ? input->errorString() : error));
        return ExitStatus::Usage;
    }
    const DomainEditor::AddSummary summary =
        session.editor().importContents(contents, [&] { return invocation.stopRequested(); });
    // A list that gained nothing is left as it is: a new one is not made empty.
    if (summary.added > 0 || invocation.signalReceived() != 0) {
        if (const int status = invocation.saveList(session); status != ExitStatus::Ok)
            return status;
    }
    QString line = u"%1 added, %2 already listed, %3 rejected"_s.arg(summary.added)
                       .arg(summary.alreadyListed)
                       .arg(summary.rejected);
    if (summary.rejected > 0)
        line += u" (the first: %1)"_s.arg(printableText(textFromBytes(summary.firstRejected)));
    invocation.console.print((line + u'\n').toUtf8());
    // A script learns that the file held lines that are no domain, though the others were added.
    return summary.rejected > 0 ? ExitStatus::LinesRejected : ExitStatus::Ok;
}
