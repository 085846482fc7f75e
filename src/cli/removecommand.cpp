#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/invocation.h"
#include "cli/listeddomain.h"
#include "cli/terminaltext.h"
#include "workflows/listsession.h"

using namespace Qt::StringLiterals;

int RemoveCommand::execute(ListSession& session, Invocation& invocation, const QStringList& arguments)
{
    // All or nothing: a domain that is not listed leaves the list as it was.
    const ListedDomains listed(session);
    QList<int> rows;
    for (const QString& argument : arguments) {
        const int row = listed.rowOf(argument);
        if (row < 0) {
            invocation.console.error(u"%1 is not in the list"_s.arg(printableText(argument)));
            return ExitStatus::Usage;
        }
        rows.append(row);
    }
    session.editor().removeRows(rows);
    return invocation.saveList(session);
}
