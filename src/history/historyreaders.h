#pragma once

// The readers of the two formats of a history file (historyfile.h), each handing what it reads to an import as
// it reads it. False, with the import refused and its error saying why, when the file is not taken.

#include "history/historyfile.h"

#include <QIODevice>

class HistoryImport;

bool readHistoryCsv(QIODevice& in, HistoryImport& import, const StopRequested& stop);
bool readHistoryJson(QIODevice& in, HistoryImport& import, const StopRequested& stop);
