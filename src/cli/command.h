#pragma once

#include "cli/helptext.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class ListSession;
class QCommandLineParser;
struct Invocation;

// One command of brenlow-cli: its name, a one-line summary, its arguments and options for the help, and what it
// does. A command that works on the list gets it opened, locked first when it writes; the others run without it.
class Command {
public:
    virtual ~Command() = default;

    virtual QString name() const = 0;
    virtual QString summary() const = 0;
    // What the command's usage tells beyond the summary, wrapped to the terminal; none for most.
    virtual QList<HelpItem> details() const { return {}; }
    virtual QString arguments() const = 0;             // as the usage line shows them
    virtual QStringList options() const { return {}; } // the long names of the options only this command takes
    virtual bool acceptsArgumentCount(qsizetype count) const = 0;
    virtual bool opensList() const { return true; }
    // Whether a list that is not there stops the command; one that only reads what the list's history may hold
    // (webgraph releases) runs on an empty list.
    virtual bool needsList(const QCommandLineParser&) const { return true; }
    // A command that writes the list needs its lock and a list it can write, and may make a new list. Some write
    // only with an option: history with --import.
    virtual bool writesList(const QCommandLineParser&) const { return true; }
    // Whether the command makes update runs, which the history records.
    virtual bool recordsRuns() const { return false; }
    // Whether the command reads standard input, which a closed one cannot give: import -, say.
    virtual bool readsStandardInput(const QCommandLineParser&, const QStringList& /*arguments*/) const { return false; }

    virtual int execute(ListSession& session, Invocation& invocation, const QStringList& arguments);
    virtual int execute(Invocation& invocation, const QStringList& arguments);
};

using Commands = std::vector<std::unique_ptr<Command>>;

// Every command, in the order the help lists them.
Commands makeCommands();

// Every option, in the order the help lists them; "format" and "no-header" belong to show and history, "since",
// "until", "export" and "import" to history, "wait" to the commands that write the list.
QList<QCommandLineOption> commandLineOptions();
