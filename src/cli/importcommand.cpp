#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/invocation.h"
#include "domains/textfile.h"
#include "workflows/listsession.h"

using namespace Qt::StringLiterals;

int ImportCommand::execute(ListSession& session, Invocation& invocation, const QStringList& arguments)
{
    QString error;
    const std::optional<QByteArray> contents = readTextFile(arguments.first(), error);
    if (!contents) {
        invocation.console.error(
            u"the file %1 cannot be read: %2; no domain was imported"_s.arg(arguments.first(), error));
        return ExitStatus::Usage;
    }
    session.editor().importContents(*contents);
    return invocation.saveList(session);
}
