#pragma once

#include "history/historyfile.h"

#include <QString>

#include <optional>

class ListSession;
struct Invocation;

// history --export and --import: the whole history to a file or standard output, and back.

// The format of an export or an import: as --format says, else as the file's name ends; standard output and
// standard input carry CSV unless --format says json. Nothing, after a message, when neither says.
std::optional<HistoryFormat> historyFileFormat(const Invocation& invocation, const QString& option,
                                               const QString& path);
// Writes the whole history to path ("-": standard output); the exit status.
int exportHistoryTo(ListSession& session, const Invocation& invocation, const QString& path, HistoryFormat format);
// Adds the runs and figures of the export at path ("-": standard input) to the history; the exit status.
int importHistoryFrom(ListSession& session, const Invocation& invocation, const QString& path, HistoryFormat format);
