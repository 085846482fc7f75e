#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/invocation.h"
#include "cli/terminaltext.h"

using namespace Qt::StringLiterals;

int HelpCommand::execute(Invocation& invocation, const QStringList& arguments)
{
    if (arguments.isEmpty()) {
        invocation.printUsage(nullptr);
        return ExitStatus::Ok;
    }
    for (const auto& command : invocation.commands) {
        if (command->name() == arguments.first()) {
            invocation.printUsage(command.get());
            return ExitStatus::Ok;
        }
    }
    invocation.console.error(
        u"there is no command %1; brenlow-cli --help lists the commands"_s.arg(printableText(arguments.first())));
    return ExitStatus::Usage;
}
