#include "cli/command.h"

#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/invocation.h"
#include "workflows/listsession.h"

std::vector<std::unique_ptr<Command>> makeCommands()
{
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<ShowCommand>());
    commands.push_back(std::make_unique<UpdateCommand>());
    commands.push_back(std::make_unique<AddCommand>());
    commands.push_back(std::make_unique<RemoveCommand>());
    commands.push_back(std::make_unique<ImportCommand>());
    return commands;
}

int Invocation::saveList(ListSession& session) const
{
    if (session.save())
        return ExitStatus::Ok;
    console.error(session.problemText());
    return ExitStatus::ListUnusable;
}
