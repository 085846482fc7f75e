#pragma once

#include "history/historystore.h"

#include <QHash>
#include <QString>

#include <optional>

// Adds the runs and fetches of a history file to a history, in one transaction: the whole file or nothing of it.
// The lines of a run may come in any order and runs may interleave. A fetch the history holds already is not
// added again and a fetch missing from a run it holds is added; a run or a fetch given otherwise than the
// history (or the file before) gives it refuses the whole file. Memory is bounded by what one run's domain holds,
// not by the file: what was taken is looked up in the history. The web graph's releases and their figures are
// kept as HistoryStore::recordGraphRelease keeps them, so that those the history holds stay as they are.
class HistoryImport {
public:
    // Begins the transaction; the store must be open for writing.
    explicit HistoryImport(HistoryStore& store);
    // Undoes everything unless finish() committed it.
    ~HistoryImport();
    HistoryImport(const HistoryImport&) = delete;
    HistoryImport& operator=(const HistoryImport&) = delete;

    // A run as the file gives it on line; false, with error(), when it cannot be taken. Nothing more is taken
    // once one was refused.
    bool addRun(const HistoryRun& run, qint64 line);
    // One fetch of a run.
    bool addFetch(const HistoryRun& run, const QByteArray& domain, int engine, const HistoryFetch& fetch, qint64 line);
    // A release of the web graph, and what it says of a domain.
    bool addGraphRelease(const GraphRelease& release);
    bool addGraphFigures(const GraphRelease& release, const QByteArray& domain, const GraphFigures& figures);
    // Refuses the file for a reason of the reader's ("line 12: no such engine: Foo"): nothing is kept.
    void refuse(const QString& why);
    // Commits: the number of fetches added; nothing, with error(), when anything was refused or a write failed.
    std::optional<qint64> finish();
    // Why the file was refused: "line 12: …", or the store's problem.
    const QString& error() const { return m_error; }

private:
    struct RunInfo {
        qint64 id = -1;
        HistoryRun run;  // without domains
        qint64 line = 0; // where the file gave it first; 0 when the history held it
    };
    struct Pending {
        qint64 runId = -1;
        qint64 domainId = -1;
        QDateTime started;
        QByteArray domain;
        QString runIdentity;
        QList<HistoryFetch> fetches = DomainFetches().engines;
        QList<qint64> lines = QList<qint64>(fetches.size(), 0); // 0: no fetch of that engine in the file yet
    };

    bool fail(const QString& why);
    bool failInStore();
    const RunInfo* findRun(const HistoryRun& run, qint64 line);
    bool flush();
    bool flushGraph();
    // Writes a fetch of a source unless the history holds one already.
    bool write(const Pending& row, qint64 source, const HistoryFetch& fetch);
    bool roomChecked();
    void abandon();

    HistoryStore& m_store;
    bool m_began = false;
    bool m_failed = false;
    bool m_madeFile = false; // the history was made for this import: a refused one leaves no file
    qint64 m_added = 0;
    qint64 m_flushes = 0;
    bool m_lastWriteAdded = false;
    QString m_error;
    QHash<QString, RunInfo> m_runs; // a cache of the runs looked up, by identity
    Pending m_pending;
    std::optional<GraphRelease> m_graphRelease; // the release whose figures are gathered to be kept together
    QList<std::pair<QByteArray, GraphFigures>> m_graphFigures;
};
