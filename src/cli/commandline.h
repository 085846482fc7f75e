#pragma once

#include <QStringList>

class Console;

// Runs brenlow-cli with its arguments (the program's name first): reads the options, finds the command, opens
// the list for it and runs it. Returns the exit status.
int runCommandLine(const QStringList& arguments, const Console& console);
