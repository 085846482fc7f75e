#pragma once

#include "domains/storedfailure.h"
#include "engine/enginecatalogue.h"
#include "net/httpfetcher.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

class QSqlDatabase;
class QSqlError;
class QSqlQuery;

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

// Which front end made a run.
enum class FrontEnd : quint8 { Window = 1, CommandLine = 2 };

// One engine's fetch for a domain in a run: the count the page stated, or why there is none. A fetch that was
// never made (the run was cancelled first) has no time.
struct HistoryFetch {
    QDateTime at;                // when it ended, in UTC to the millisecond; invalid when it was not made
    std::optional<qint64> count; // the count; nothing when it failed
    FailureDetail failure;       // why it failed

    bool made() const { return at.isValid(); }
};

// What one run asked the engines about one domain.
struct DomainFetches {
    QByteArray domain; // its bytes as the list holds them
    std::array<HistoryFetch, EngineCount> engines;
};

// One update run and what it fetched.
struct HistoryRun {
    QDateTime started; // in UTC to the millisecond; it tells runs apart
    QDateTime ended;   // invalid when the run never ended (the program was killed)
    FrontEnd frontEnd = FrontEnd::Window;
    bool cancelled = false;
    QList<DomainFetches> domains;
};

// Why the history cannot be kept or read.
enum class HistoryProblem {
    None,
    NotWritable,  // the file, or its folder, cannot be written
    NotADatabase, // the file is not a history: it is left as it is
    NewerSchema,  // a later Brenlow made it: it is left as it is
    Locked,       // another program holds the database
    WriteFailed,  // a write failed (the disk is full, say); what was written before stays
    NotLocked,    // the list's lock is not held, and only its holder writes the history
    NoDriver,     // Qt's SQLite driver is missing
};

// The history of a domain list: every run, and every fetch of every domain in it, in an SQLite database beside
// the list file and named after it ("brenlow.txt.history.sqlite"). Only the holder of the list's lock writes;
// anyone may read. A store that meets a problem stops and says so once; the list never depends on it.
//
// The schema (PRAGMA user_version 1): run(id, started, ended, front_end, cancelled) with times in milliseconds
// since 1970 UTC; domain(id, name) with the domain's bytes; and one row of fetches(run, domain, then for each
// engine k: at_k, the milliseconds after the run's start when the fetch ended, count_k, failure_k and detail_k),
// keyed by run and domain without a rowid, so that a run appends its domains at the end of the table, one page
// a write, and a domain's history is one lookup a run.
class HistoryStore {
public:
    enum class Mode { Read, Write };
    static constexpr int SchemaVersion = 1;
    static constexpr std::chrono::milliseconds DefaultBusyTimeout{2000};

    // Where the history of the list at listFilePath is kept.
    static QString pathFor(const QString& listFilePath);

    // busyTimeout: how long a write waits for another connection's lock before the history is found locked.
    explicit HistoryStore(const QString& listFilePath, std::chrono::milliseconds busyTimeout = DefaultBusyTimeout);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Opens the history: to read, a missing file is an empty history; to write, it is made. False, with the
    // problem, when it cannot be used; a file that is there is never replaced.
    bool open(Mode mode);
    // Closes the history, which is not to be written because the list's lock is not held, for the reason given.
    void refuseWriting(const QString& why);
    bool isOpen() const { return m_open; }
    HistoryProblem problem() const { return m_problem; }
    // The problem as a clause: "the history file /x/brenlow.txt.history.sqlite is locked by another program".
    QString problemText() const;
    const QString& filePath() const { return m_path; }

    // A run begins; its domains follow, each in a transaction of its own, so that a crash loses at most the
    // domain under way; then it ends. False, with the problem, when a write fails: the store is then closed.
    bool beginRun(const QDateTime& started, FrontEnd frontEnd);
    bool recordDomain(const DomainFetches& fetches);
    bool endRun(const QDateTime& ended, bool cancelled);

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

    // Adds the runs that source hands to the visitor it is given, as an export holds them, in one transaction.
    // A run already in the history (same start) keeps its fetches, and a domain's fetches in a run already there
    // are not added again. Returns the fetches added; nothing, and nothing of this import kept, when source
    // returns false or a write failed (the problem then says so).
    using RunSource = std::function<bool(const RunVisitor& add)>;
    std::optional<qint64> import(const RunSource& source);
    std::optional<qint64> import(const QList<HistoryRun>& runs);

private:
    struct RunRow;
    bool fail(HistoryProblem problem);
    bool failWith(const QSqlError& error);
    void close();
    QSqlDatabase database() const;
    bool prepareSchema(bool writable);
    QSqlQuery* prepared(const QString& statement);
    bool exec(const QString& statement);
    bool loadDomainIds();
    std::optional<qint64> domainId(const QByteArray& domain);
    bool insertFetches(qint64 runId, const QDateTime& started, const DomainFetches& fetches, bool replace,
                       bool* inserted);
    bool readRuns(const QDateTime& since, const QDateTime& until, QList<RunRow>& rows);
    bool visitRunsRead(const RunVisitor& visit, const QList<QByteArray>& domains, const QDateTime& since,
                       const QDateTime& until);

    QString m_path;
    QString m_connection;
    std::chrono::milliseconds m_busyTimeout;
    bool m_open = false;
    bool m_empty = false; // opened to read a history that is not there yet
    bool m_writable = false;
    HistoryProblem m_problem = HistoryProblem::None;
    QString m_detail; // what the database said of the problem
    QHash<QByteArray, qint64> m_domainIds;
    std::unordered_map<QString, std::unique_ptr<QSqlQuery>> m_statements; // prepared, by their text
    qint64 m_runId = -1;
    QDateTime m_runStarted;
};
