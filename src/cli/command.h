#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class ListSession;
struct Invocation;

// One command of brenlow-cli: its name, a one-line summary and its arguments for the help, and what it does to
// the list it is given, opened for it. execute returns the exit status.
class Command {
public:
    virtual ~Command() = default;

    virtual QString name() const = 0;
    virtual QString summary() const = 0;
    virtual QString arguments() const = 0; // as the usage line shows them
    virtual bool acceptsArgumentCount(qsizetype count) const = 0;
    // A command that saves the list needs a list it can lock and write.
    virtual bool savesList() const { return true; }
    virtual int execute(ListSession& session, Invocation& invocation, const QStringList& arguments) = 0;
};

// Every command, in the order the help lists them.
std::vector<std::unique_ptr<Command>> makeCommands();
