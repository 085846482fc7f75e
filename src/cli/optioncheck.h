#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

// Why the options of a command line (the program's name first) cannot be read, in brenlow-cli's own words, or
// nothing when they can: an option that does not exist, a value missing or given to an option that takes none.
// What follows "--" is left alone.
QString optionProblem(const QStringList& arguments, const QList<QCommandLineOption>& options);
