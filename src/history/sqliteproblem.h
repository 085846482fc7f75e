#pragma once

#include "history/historystore.h"

#include <QString>

class QSqlDatabase;
class QSqlError;

// What went wrong with an SQLite database, as a history problem and a detail that names the real cause:
// SQLite's extended result code and the system's error behind it ("disk I/O error: No space left on device").
struct SqliteProblem {
    HistoryProblem kind;
    QString detail;
};

// Has the connection's errors carry SQLite's extended result codes (Qt's driver gives the primary ones).
void useExtendedResultCodes(const QSqlDatabase& database);

SqliteProblem sqliteProblem(const QSqlDatabase& database, const QSqlError& error, bool writing);
