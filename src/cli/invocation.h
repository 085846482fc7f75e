#pragma once

#include "cli/command.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

class Console;
class ListSession;
class QCommandLineParser;
class QIODevice;

// What one run of brenlow-cli has beside the list: where it writes, the options it was given, the list's path,
// whether a person watches standard error, and the termination signal that came, if any.
struct Invocation {
    const Console& console;
    const QCommandLineParser& parser;
    const Commands& commands;
    QString listPath;
    bool watched = false;

    // The termination signal that came, or 0. A command that sees one before it saved leaves the list alone.
    int signalReceived() const;
    // Saves the list: Ok, or ListUnusable after a message naming the file; 128 + the signal, without saving,
    // when a termination signal came.
    int saveList(ListSession& session) const;
    // Asked while a command waits or works: whether a termination signal came.
    bool stopRequested() const { return signalReceived() != 0; }
    // The file a command reads, "-" for standard input: a FIFO, a terminal or standard input read as it comes,
    // with every wait ended by a termination signal. Null, with error set, when it cannot be opened.
    std::unique_ptr<QIODevice> openInput(const QString& path, QString& error) const;
    // Why the list path cannot be used, or nothing: only a regular file is read as a list or replaced by one; a
    // list that is not there is made only by a command that writes, and with --list only in a folder that is
    // there, so that a mistyped --list is not taken for a new list.
    QString listPathProblem(bool writes) const;
    // Prints usage of command (or of brenlow-cli as a whole) to standard output.
    void printUsage(const Command* command) const;
};
