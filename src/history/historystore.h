#pragma once

#include "engine/enginecatalogue.h"
#include "history/storedfailure.h"
#include "values/fetchfailure.h"
#include "values/graphfigures.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

class QSqlDatabase;
class QSqlError;
class QSqlQuery;
class QVariant;

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

// Which front end made a run.
enum class FrontEnd : quint8 { Window = 1, CommandLine = 2 };

// One engine's fetch for a domain in a run: the count the page stated, or why there is none and the count the
// row kept. A fetch that was never made (the run was cancelled first) has no time.
struct HistoryFetch {
    QDateTime at;                // when it ended, in UTC to the millisecond; invalid when it was not made
    std::optional<qint64> count; // the count; nothing when it failed
    FailureDetail failure;       // why it failed
    std::optional<qint64> kept;  // when it failed: the count the row kept and showed, if it showed one

    bool made() const { return at.isValid(); }
    // What the row showed after the fetch: the count found, or the count kept.
    std::optional<qint64> shown() const { return count ? count : kept; }
};

// What one run asked the sources about one domain: a fetch for each source of the catalogue, in its order.
struct DomainFetches {
    explicit DomainFetches(QByteArray domain = {})
        : domain(std::move(domain))
        , engines(qsizetype(engineDefinitions().size()))
    {
    }

    QByteArray domain; // its bytes as the list holds them
    QList<HistoryFetch> engines;
};

// One update run and what it fetched.
struct HistoryRun {
    QString identity;  // its own, given when it began: runs are told apart by it, never by the clock
    QDateTime started; // what the clock said when it began, in UTC to the millisecond
    QDateTime ended;   // invalid when the run never ended (the program was killed)
    FrontEnd frontEnd = FrontEnd::Window;
    bool cancelled = false;
    QList<DomainFetches> domains;
};

// Why the history cannot be kept or read.
enum class HistoryProblem {
    None,
    NotAFile,     // a directory, a FIFO, a device or a link to nothing stands where the file would be
    NotWritable,  // the file, or its folder, cannot be written
    NotADatabase, // the file is not a history: it is left as it is
    NewerSchema,  // a later Brenlow made it: it is left as it is
    Damaged,      // the file is damaged: it is left as it is
    Locked,       // another program holds the database
    DiskFull,     // the disk is (nearly) full: what was written stays, and the list can still be saved
    ReadFailed,   // the file could not be read
    WriteFailed,  // a write failed; what was written before stays
    NotLocked,    // the list's lock is not held, and only its holder writes the history
    NoDriver,     // Qt's SQLite driver is missing
};

// The history of a domain list: every run, and every fetch of every domain in it, in an SQLite database beside
// the list's canonical path, named after it ("brenlow.txt.history.sqlite"), so that every path to the list has
// the one history. Only the holder of the list's lock writes; anyone may read, and reading creates no file and
// needs no write access. A store that meets a problem stops and says so once; the list never depends on it.
//
// The schema (PRAGMA user_version 4): run(id, identity, started, ended, front_end, cancelled) with times in
// milliseconds since 1970 UTC and the identity a text of its own ("v1-" and the start for the runs of version 1,
// which told runs apart by their start); domain(id, name) with the domain's bytes; source(id, name) with the
// source's name ("Google"); and one row of fetch(run, domain, source, at, count, failure, detail) for each fetch:
// at, the milliseconds after the run's start when it ended; count, the count found or, for a failed fetch (failure
// and detail say why), the count the row kept. The rows are keyed by run, domain and source without a rowid, so
// that a run appends its domains at the end of the table and a domain's history is one lookup a run. Beside the
// runs, what the releases of the web graph of registered domains say of the listed domains:
// graph_release(id, name, crawls, domains, links) with the release's id as name and its crawls joined by a space,
// and graph_figures(release, domain, name, found, harmonic_rank, harmonic_value, pagerank_rank, pagerank_value,
// hosts, linking_domains, read_at), keyed by release and listed domain without a rowid: name is the registered
// domain; the figures are NULL when the release does not hold it, linking_domains also when it was not counted.
// Versions 1 and 2 kept one row of fetches a run and domain, with the engines' columns side by side, and versions
// 1 to 3 had no web graph; they are read as they stand and migrated when first written. The file keeps a rollback
// journal, which is gone after every commit: between writes the history is one file, which readers read without
// writing.
class HistoryStore {
public:
    enum class Mode { Read, Write };
    static constexpr int SchemaVersion = 4;
    static constexpr std::chrono::milliseconds DefaultBusyTimeout{2000};
    // The free bytes of the file system that holds a folder; nothing when they cannot be known.
    using FreeSpace = std::function<std::optional<qint64>(const QString& folder)>;

    // Where the history of the list at listFilePath is kept: beside the list's canonical path.
    static QString pathFor(const QString& listFilePath);

    // busyTimeout: how long a write waits for another connection's lock before the history is found locked.
    explicit HistoryStore(const QString& listFilePath, std::chrono::milliseconds busyTimeout = DefaultBusyTimeout);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Writes stop while the disk has less room than the list's next save needs; tests give a file system of
    // their own size here.
    void setFreeSpace(FreeSpace freeSpace) { m_freeSpace = std::move(freeSpace); }

    // Opens the history: to read, a missing file is an empty history; to write, the file is checked to be a
    // Brenlow history and (unless it was found whole before) whole before anything in it changes, and a missing
    // one is made with the first write. False, with the problem, when it cannot be used; a file that is there is
    // never replaced.
    enum class Check { Whole, SchemaOnly };
    bool open(Mode mode, Check check = Check::Whole);
    // Closes the history, which is not to be written because the list's lock is not held, for the reason given.
    void refuseWriting(const QString& why);
    bool isOpen() const { return m_open; }
    HistoryProblem problem() const { return m_problem; }
    // The problem as a clause: "the history file /x/brenlow.txt.history.sqlite is locked by another program".
    QString problemText() const;
    const QString& filePath() const { return m_path; }

    // A run begins, with an identity of its own; its domains follow; then it ends. Each write commits on its own
    // unless it is one of the writes of transaction(). False, with the problem, when a write fails: the store is
    // then closed.
    bool beginRun(const QDateTime& started, FrontEnd frontEnd);
    bool recordDomain(const DomainFetches& fetches);
    bool endRun(const QDateTime& ended, bool cancelled);
    // Makes the writes that writes() makes in one transaction, all or none.
    bool transaction(const std::function<bool()>& writes);

    // The runs that started from since to until (either invalid: no bound), oldest first, with the fetches of
    // the domains asked for (all domains when none is named), in no set order. Runs without such fetches are
    // left out unless no domain is named.
    QList<HistoryRun> runs(const QList<QByteArray>& domains = {}, const QDateTime& since = {},
                           const QDateTime& until = {});
    // The same runs one at a time, so that the whole history never has to be in memory; visit returns false to
    // stop. False, with the problem, when the history could not be read to the end.
    using RunVisitor = std::function<bool(const HistoryRun&)>;
    bool visitRuns(const RunVisitor& visit, const QList<QByteArray>& domains = {}, const QDateTime& since = {},
                   const QDateTime& until = {});

    // The last fetch made of each domain named from each engine, by the starts of the runs, newest first; found is
    // told each of them once. Only as many runs are read as it takes to find them all. False, with the problem, when
    // the history could not be read.
    using LastFetchVisitor = std::function<void(const QByteArray& domain, int engine, const HistoryFetch& fetch)>;
    bool lastFetches(const QList<QByteArray>& domains, const LastFetchVisitor& found);

    // Adds runs to the history in one transaction, as HistoryImport does: the fetches added, or nothing (error
    // says why) with nothing of them kept.
    std::optional<qint64> import(const QList<HistoryRun>& runs, QString& error);

    // Keeps what a release of the web graph says of the listed domains in one transaction (or as writes of
    // transaction()), all or none: the release, unless the history holds it already, and each domain's figures.
    // Releases never change, so figures the history holds stay as they are, but for linking domains that were not
    // counted then and are now. False, with the problem, when a write fails: the store is then closed.
    bool recordGraphRelease(const GraphRelease& release, const QList<std::pair<QByteArray, GraphFigures>>& figures);
    // The releases the history holds, in the order they were first kept, the latest last; none, with the problem,
    // when they could not be read.
    QList<GraphRelease> graphReleases();
    // What the releases say of the listed domains named (all of them when none is named): each domain's figures,
    // its releases in the order they were first kept; the domains in the order named, or else in the order the
    // history first met them. False, with the problem, when the history could not be read.
    using GraphFiguresVisitor =
        std::function<void(const QByteArray& domain, const GraphRelease& release, const GraphFigures& figures)>;
    bool visitGraphFigures(const QList<QByteArray>& domains, const GraphFiguresVisitor& visit);
    // Every release the history holds, in the order they were first kept, each told to release before what it
    // says of the domains, which follow in the order the history first met them; either returns false to stop.
    // False, with the problem, when the history could not be read to the end.
    using GraphReleaseVisitor = std::function<bool(const GraphRelease& release)>;
    using ReleaseFiguresVisitor = std::function<bool(const QByteArray& domain, const GraphFigures& figures)>;
    bool visitGraphReleases(const GraphReleaseVisitor& release, const ReleaseFiguresVisitor& figures);
    // What is left to read of a release: of the domains named, in their order, those it was not read for yet and,
    // when needLinkingDomains, those it holds whose linking domains were not counted. All of them, with the
    // problem, when the history could not be read.
    QList<QByteArray> domainsWithoutGraphFigures(const QString& releaseId, const QList<QByteArray>& domains,
                                                 bool needLinkingDomains);

private:
    friend class HistoryImport;
    struct RunRow;

    bool fail(HistoryProblem problem, const QString& detail = {});
    bool failWith(const QSqlError& error);
    void close();
    QSqlDatabase database() const;
    bool connect(const QString& uri, bool readOnly);
    bool openToRead();
    bool openToWrite(bool exists, Check check);
    bool create();
    bool beginAndReadSchema(const QString& begin);
    bool checkSchema(bool writing);
    bool checkWhole();
    bool migrate();
    QSqlQuery* prepared(const QString& statement);
    bool exec(const QString& statement);
    bool ensureRoom(qint64 bytes);
    bool loadDomainIds();
    // The names of the domains loaded, by their ids.
    QHash<qint64, QByteArray> domainNamesById() const;
    // The id of a name in the domain or source table, which gets the name when it lacks it.
    std::optional<qint64> nameId(const QString& table, const QVariant& name);
    std::optional<qint64> domainId(const QByteArray& domain);
    std::optional<qint64> sourceId(int engine);
    // The engine of a source the history names; -1 for a source the catalogue does not hold.
    int engineOf(qint64 sourceId) const { return m_engineOfSource.value(sourceId, -1); }
    bool insertFetches(qint64 runId, const QDateTime& started, const DomainFetches& fetches);
    bool readRuns(const QDateTime& since, const QDateTime& until, QList<RunRow>& rows);
    bool visitRunsRead(const RunVisitor& visit, const QList<QByteArray>& domains, const QDateTime& since,
                       const QDateTime& until);
    // Makes the reads that reads() makes in one read transaction, unless a transaction is under way already.
    bool readTransaction(const std::function<bool()>& reads);
    std::optional<qint64> graphReleaseId(const GraphRelease& release);
    bool insertGraphFigures(qint64 releaseId, const QByteArray& domain, const GraphFigures& figures);
    bool readGraphReleases(QHash<qint64, GraphRelease>& releases, QList<qint64>& order);

    QString m_listPath; // canonical
    QString m_path;
    QString m_connection;
    std::chrono::milliseconds m_busyTimeout;
    FreeSpace m_freeSpace;
    bool m_open = false;
    bool m_empty = false;   // opened to read a history that is not there yet
    bool m_pending = false; // opened to write a history that the first write makes
    bool m_writable = false;
    bool m_inTransaction = false;
    bool m_roomRanOut = false; // the disk had no room for a write of the transaction under way
    qint64 m_roomLeft = 0;     // what the disk had beyond the list's needs at the last look, less what came since
    std::chrono::steady_clock::time_point m_roomLooked;
    int m_version = 0;
    HistoryProblem m_problem = HistoryProblem::None;
    QString m_detail; // what the database or the system said of the problem
    QHash<QByteArray, qint64> m_domainIds;
    QHash<int, qint64> m_sourceIds;                                       // by engine
    QHash<qint64, int> m_engineOfSource;                                  // by source id
    std::unordered_map<QString, std::unique_ptr<QSqlQuery>> m_statements; // prepared, by their text
    qint64 m_runId = -1;
    QDateTime m_runStarted;
};
