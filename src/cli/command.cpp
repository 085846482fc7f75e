#include "cli/command.h"

#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/invocation.h"
#include "workflows/listsession.h"
#include "workflows/terminationsignals.h"

#include <QCommandLineParser>

using namespace Qt::StringLiterals;

Commands makeCommands()
{
    Commands commands;
    commands.push_back(std::make_unique<ShowCommand>());
    commands.push_back(std::make_unique<UpdateCommand>());
    commands.push_back(std::make_unique<AddCommand>());
    commands.push_back(std::make_unique<RemoveCommand>());
    commands.push_back(std::make_unique<ImportCommand>());
    commands.push_back(std::make_unique<WhereCommand>());
    commands.push_back(std::make_unique<HelpCommand>());
    return commands;
}

QList<QCommandLineOption> commandLineOptions()
{
    return {
        {{u"h"_s, u"help"_s}, u"Print this help, or after a command that command's usage."_s},
        {u"version"_s, u"Print the version."_s},
        {{u"l"_s, u"list"_s},
         u"Use the domain list FILE instead of the one the window uses. A command that writes makes it when it is "
         u"missing, in a folder that must exist."_s,
         u"FILE"_s},
        {u"wait"_s,
         u"A command that writes waits for the list that another Brenlow holds, as long as it takes or at most "
         u"SECONDS (--wait=SECONDS), instead of ending at once."_s,
         u"SECONDS"_s},
        {u"connect-to"_s,
         u"Send every request to ADDRESS:PORT (an IPv4 address) instead of the engine's host; the requests stay as "
         u"they are. For a local proxy or test server."_s,
         u"ADDRESS:PORT"_s},
        {u"format"_s, u"show: table (the default), tsv, csv or json."_s, u"FORMAT"_s},
        {u"no-header"_s, u"show: no header line in a table, tsv or csv."_s},
    };
}

int Command::execute(ListSession&, Invocation&, const QStringList&)
{
    return ExitStatus::Usage;
}

int Command::execute(Invocation&, const QStringList&)
{
    return ExitStatus::Usage;
}

int Invocation::signalReceived() const
{
    return TerminationSignals::received();
}

int Invocation::saveList(ListSession& session) const
{
    if (signalReceived() != 0)
        return ExitStatus::SignalBase + signalReceived();
    if (session.save())
        return ExitStatus::Ok;
    console.error(session.problemText());
    return ExitStatus::ListUnusable;
}

void Invocation::printUsage(const Command* command) const
{
    if (!command) {
        console.print(parser.helpText().toUtf8());
        return;
    }
    QString text = u"usage: brenlow-cli [OPTION...] %1 %2\n\n%3\n"_s.arg(command->name(), command->arguments(),
                                                                         command->summary());
    const QStringList options = command->options();
    if (!options.isEmpty() || (command->writesList() && command->opensList())) {
        text += u"\nOptions:\n"_s;
        for (const QCommandLineOption& option : commandLineOptions()) {
            const QString name = option.names().constLast();
            if (options.contains(name) || (name == u"wait"_s && command->writesList() && command->opensList()))
                text += u"  --%1  %2\n"_s.arg(option.valueName().isEmpty() ? name : name + u'=' + option.valueName(),
                                              option.description());
        }
    }
    text += u"\nSee brenlow-cli --help for the options every command takes.\n"_s;
    console.print(text.toUtf8());
}
