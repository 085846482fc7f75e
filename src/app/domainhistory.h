#pragma once

#include "history/historyfile.h"
#include "history/historystore.h"
#include "values/graphfigures.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// One run as the history view shows it for a domain: when it ran, a fetch a source, and the row's total.
struct DomainRun {
    QDateTime started; // in UTC
    QDateTime ended;   // invalid when the run never ended
    FrontEnd frontEnd = FrontEnd::Window;
    bool cancelled = false;
    QList<HistoryFetch> engines; // one a source, in the catalogue's order
    std::optional<qint64> total; // the row's Total after the run, kept counts included; nothing when it had none
};

// What the history holds of one domain, its runs newest first.
struct DomainHistory {
    QByteArray domain;
    QList<DomainRun> runs;
    QList<LatestGraphFigures> graph; // what each web graph release read said of it, in the order they were read

    // The history of domain kept beside the list at listFilePath; nothing, with problem set (a clause), when it
    // cannot be read. A list without a history yet has an empty one.
    static std::optional<DomainHistory> read(const QString& listFilePath, const QByteArray& domain, QString& problem);
};

// The whole history of the list at listFilePath written to fileName, replacing it only once the file is complete.
// False, with error set (a clause), when nothing was written.
bool exportHistoryFile(const QString& listFilePath, const QString& fileName, HistoryFormat format, QString& error);
