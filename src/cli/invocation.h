#pragma once

#include "cli/command.h"

#include <QByteArray>
#include <QString>

#include <optional>

class Console;
class ListSession;
class QCommandLineParser;

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
    // Everything standard input holds; nothing when a termination signal came first, or when it cannot be read
    // (errno then says why).
    std::optional<QByteArray> readInput() const;
    // Prints usage of command (or of brenlow-cli as a whole) to standard output.
    void printUsage(const Command* command) const;
};
