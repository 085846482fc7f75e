#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/invocation.h"
#include "cli/listeddomain.h"
#include "workflows/listsession.h"

int RemoveCommand::execute(ListSession& session, Invocation& invocation, const QStringList& arguments)
{
    // All or nothing: a domain that is not listed leaves the list as it was.
    const std::optional<QList<int>> rows = ListedDomains(session).rowsNamed(arguments, invocation.console);
    if (!rows)
        return ExitStatus::Usage;
    session.editor().removeRows(*rows);
    return invocation.saveList(session);
}
