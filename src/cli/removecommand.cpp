#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/invocation.h"
#include "cli/listeddomain.h"
#include "workflows/listsession.h"

using namespace Qt::StringLiterals;

int RemoveCommand::execute(ListSession& session, Invocation& invocation, const QStringList& arguments)
{
    // All or nothing: a domain that is not listed leaves the list as it was.
    for (const QString& argument : arguments) {
        if (rowOfListedDomain(session.grid(), session.domains(), argument) < 0) {
            invocation.console.error(u"%1 is not in the list"_s.arg(argument));
            return ExitStatus::Usage;
        }
    }
    // Rows move up after each removal, so each domain is looked up again.
    for (const QString& argument : arguments) {
        const int row = rowOfListedDomain(session.grid(), session.domains(), argument);
        if (row > 0)
            session.editor().removeRow(row);
    }
    return invocation.saveList(session);
}
