#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/invocation.h"

#include <QFileInfo>

int WhereCommand::execute(Invocation& invocation, const QStringList& /*arguments*/)
{
    // The path is printed in any case, as it is where the window would make the list.
    invocation.console.print(QFileInfo(invocation.listPath).absoluteFilePath().toUtf8() + '\n');
    if (const QString problem = invocation.listPathProblem(false); !problem.isEmpty()) {
        invocation.console.error(problem);
        return ExitStatus::ListUnusable;
    }
    return ExitStatus::Ok;
}
