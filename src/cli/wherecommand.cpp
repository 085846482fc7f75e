#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/invocation.h"

#include <QFileInfo>

int WhereCommand::execute(Invocation& invocation, const QStringList& /*arguments*/)
{
    invocation.console.print(QFileInfo(invocation.listPath).absoluteFilePath().toUtf8() + '\n');
    return ExitStatus::Ok;
}
