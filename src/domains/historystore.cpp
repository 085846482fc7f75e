#include "domains/historystore.h"

#include "domains/historyschema.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <limits>

#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace history;

namespace {

// SQLite's primary result codes, as the driver gives them in nativeErrorCode().
constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;
constexpr int SqliteReadOnly = 8;
constexpr int SqliteFull = 13;
constexpr int SqliteCantOpen = 14;
constexpr int SqliteNotADatabase = 26;

// The schema as each version adds to it; the database's user_version says how many of these it has had.
const QStringList& schemaSteps()
{
    static const QStringList steps{
        // Version 1.
        uR"(CREATE TABLE run(id INTEGER PRIMARY KEY, started INTEGER NOT NULL UNIQUE, ended INTEGER,
                             front_end INTEGER NOT NULL, cancelled INTEGER NOT NULL DEFAULT 0);
            CREATE TABLE domain(id INTEGER PRIMARY KEY, name BLOB NOT NULL UNIQUE);
            CREATE TABLE fetches(domain INTEGER NOT NULL, run INTEGER NOT NULL,
                                 at0, count0, failure0, detail0, at1, count1, failure1, detail1,
                                 at2, count2, failure2, detail2, at3, count3, failure3, detail3,
                                 at4, count4, failure4, detail4,
                                 PRIMARY KEY(run, domain)) WITHOUT ROWID)"_s,
    };
    return steps;
}

} // namespace

QString HistoryStore::pathFor(const QString& listFilePath)
{
    return listFilePath + ".history.sqlite"_L1;
}

HistoryStore::HistoryStore(const QString& listFilePath, std::chrono::milliseconds busyTimeout)
    : m_path(pathFor(listFilePath))
    , m_busyTimeout(busyTimeout)
{
    static std::atomic<int> stores{0};
    m_connection = u"brenlow-history-%1"_s.arg(++stores);
}

HistoryStore::~HistoryStore()
{
    close();
}

QSqlDatabase HistoryStore::database() const
{
    return QSqlDatabase::database(m_connection, false);
}

void HistoryStore::close()
{
    m_statements.clear();
    if (QSqlDatabase::contains(m_connection)) {
        database().close();
        QSqlDatabase::removeDatabase(m_connection);
    }
    m_open = false;
    m_runId = -1;
    m_domainIds.clear();
}

bool HistoryStore::fail(HistoryProblem problem)
{
    // The connection stays until the store is opened again or goes, as queries may still hold it; what a
    // failed write began is undone.
    m_problem = problem;
    if (m_open)
        QSqlQuery(database()).exec(u"ROLLBACK"_s);
    m_open = false;
    m_runId = -1;
    return false;
}

bool HistoryStore::failWith(const QSqlError& error)
{
    m_detail = error.databaseText();
    switch (error.nativeErrorCode().toInt()) {
    case SqliteBusy:
    case SqliteLocked:
        return fail(HistoryProblem::Locked);
    case SqliteReadOnly:
    case SqliteCantOpen:
        return fail(HistoryProblem::NotWritable);
    case SqliteNotADatabase:
        return fail(HistoryProblem::NotADatabase);
    case SqliteFull:
    default:
        return fail(m_writable ? HistoryProblem::WriteFailed : HistoryProblem::NotADatabase);
    }
}

bool HistoryStore::open(Mode mode)
{
    close();
    m_problem = HistoryProblem::None;
    m_detail.clear();
    m_empty = false;
    m_writable = mode == Mode::Write;
    if (!QSqlDatabase::isDriverAvailable(u"QSQLITE"_s))
        return fail(HistoryProblem::NoDriver);

    const QFileInfo file(m_path);
    if (!m_writable && !file.exists()) {
        m_empty = m_open = true;
        return true;
    }
    if (m_writable) {
        // SQLite would open a file it cannot write read-only without a word; ask first.
        const QByteArray target = QFile::encodeName(file.exists() ? file.absoluteFilePath() : file.absolutePath());
        if (::access(target.constData(), W_OK) != 0) {
            m_detail = QString::fromLocal8Bit(std::strerror(errno));
            return fail(HistoryProblem::NotWritable);
        }
    }

    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_connection);
    db.setDatabaseName(file.absoluteFilePath());
    const QString busyTimeout = u"QSQLITE_BUSY_TIMEOUT=%1"_s.arg(m_busyTimeout.count());
    db.setConnectOptions(m_writable ? busyTimeout : u"QSQLITE_OPEN_READONLY;"_s + busyTimeout);
    if (!db.open())
        return failWith(db.lastError());
    m_open = true;
    return prepareSchema(m_writable) && loadDomainIds();
}

QSqlQuery* HistoryStore::prepared(const QString& statement)
{
    // Each statement is prepared once a store: a run makes its inserts and commits a thousand times.
    std::unique_ptr<QSqlQuery>& query = m_statements[statement];
    if (!query) {
        query = std::make_unique<QSqlQuery>(database());
        if (!query->prepare(statement)) {
            failWith(query->lastError());
            m_statements.erase(statement);
            return nullptr;
        }
    }
    return query.get();
}

void HistoryStore::refuseWriting(const QString& why)
{
    close();
    m_detail = why;
    m_problem = HistoryProblem::NotLocked;
}

bool HistoryStore::exec(const QString& statement)
{
    QSqlQuery* query = prepared(statement);
    if (!query)
        return false;
    if (!query->exec())
        return failWith(query->lastError());
    query->finish();
    return true;
}

bool HistoryStore::prepareSchema(bool writable)
{
    // A new file gets small pages, as a domain's commit writes one page to the log (a database that has pages
    // keeps its own). What the file holds is read in one transaction, and to write under the write lock, so that
    // no other connection makes the schema meanwhile; taking that lock finds out now, not at the first run,
    // whether another program holds it.
    if ((writable && !exec(u"PRAGMA page_size=1024"_s)) || !exec(writable ? u"BEGIN IMMEDIATE"_s : u"BEGIN"_s))
        return false;
    QSqlQuery query(database());
    if (!query.exec(u"PRAGMA user_version"_s) || !query.next())
        return failWith(query.lastError());
    const int version = query.value(0).toInt();
    query.finish();
    if (version > SchemaVersion)
        return fail(HistoryProblem::NewerSchema);
    if (version == 0) {
        // A database that holds anything but is not a history of any version is someone else's.
        if (!query.exec(u"SELECT count(*) FROM sqlite_master"_s) || !query.next())
            return failWith(query.lastError());
        if (query.value(0).toInt() != 0)
            return fail(HistoryProblem::NotADatabase);
        query.finish();
    }
    if (!writable) {
        m_empty = version == 0;
        return exec(u"COMMIT"_s);
    }
    const QStringList& steps = schemaSteps();
    for (qsizetype step = version; step < steps.size(); ++step) {
        for (const QString& statement : steps[step].split(u';', Qt::SkipEmptyParts)) {
            if (!exec(statement))
                return false;
        }
    }
    if ((version < SchemaVersion && !exec(u"PRAGMA user_version = %1"_s.arg(SchemaVersion))) || !exec(u"COMMIT"_s))
        return false;
    // WAL lets readers go on while a run writes, and with synchronous=NORMAL a commit costs no flush to disk; the
    // flushes come with the checkpoints, which a log of 4,000 pages keeps out of runs of up to some 4,000 domains.
    return exec(u"PRAGMA journal_mode=WAL"_s) && exec(u"PRAGMA synchronous=NORMAL"_s) &&
           exec(u"PRAGMA wal_autocheckpoint=4000"_s);
}

bool HistoryStore::loadDomainIds()
{
    m_domainIds.clear();
    if (m_empty)
        return true;
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.exec(u"SELECT id, name FROM domain"_s))
        return failWith(query.lastError());
    while (query.next())
        m_domainIds.insert(query.value(1).toByteArray(), query.value(0).toLongLong());
    return true;
}

std::optional<qint64> HistoryStore::domainId(const QByteArray& domain)
{
    const auto known = m_domainIds.constFind(domain);
    if (known != m_domainIds.cend())
        return *known;
    // Another connection of this list's may have added the name since the names were read.
    QSqlQuery query(database());
    query.prepare(u"INSERT OR IGNORE INTO domain(name) VALUES (?)"_s);
    query.addBindValue(domain);
    if (!query.exec()) {
        failWith(query.lastError());
        return std::nullopt;
    }
    query.prepare(u"SELECT id FROM domain WHERE name = ?"_s);
    query.addBindValue(domain);
    if (!query.exec() || !query.next()) {
        failWith(query.lastError());
        return std::nullopt;
    }
    const qint64 id = query.value(0).toLongLong();
    m_domainIds.insert(domain, id);
    return id;
}

bool HistoryStore::beginRun(const QDateTime& started, FrontEnd frontEnd)
{
    if (!m_open || !m_writable)
        return false;
    // Runs are told apart by their start: one that starts in the same millisecond as the last, or before it
    // (the clock was set back), starts just after it.
    QSqlQuery query(database());
    if (!query.exec(u"SELECT max(started) FROM run"_s) || !query.next())
        return failWith(query.lastError());
    qint64 start = msSinceEpoch(started);
    if (!query.value(0).isNull())
        start = std::max(start, query.value(0).toLongLong() + 1);
    query.finish();

    query.prepare(u"INSERT INTO run(started, front_end) VALUES (?, ?)"_s);
    query.addBindValue(start);
    query.addBindValue(static_cast<int>(frontEnd));
    if (!query.exec())
        return failWith(query.lastError());
    m_runId = query.lastInsertId().toLongLong();
    m_runStarted = utcFromMs(start);
    return true;
}

bool HistoryStore::recordDomain(const DomainFetches& fetches)
{
    if (!m_open || m_runId < 0)
        return false;
    // A known domain's row is one statement, a transaction of its own; a new domain's name goes in with it.
    if (m_domainIds.contains(fetches.domain))
        return insertFetches(m_runId, m_runStarted, fetches, true, nullptr);
    return exec(u"BEGIN"_s) && insertFetches(m_runId, m_runStarted, fetches, true, nullptr) && exec(u"COMMIT"_s);
}

bool HistoryStore::insertFetches(qint64 runId, const QDateTime& started, const DomainFetches& fetches, bool replace,
                                 bool* inserted)
{
    const std::optional<qint64> domain = domainId(fetches.domain);
    if (!domain)
        return false;
    static const auto insert = [](const QString& conflict) {
        return u"INSERT OR %1 INTO fetches(domain, run%2) VALUES (?, ?%3)"_s.arg(
            conflict, fetchColumns(), u", ?, ?, ?, ?"_s.repeated(EngineCount));
    };
    static const QString replacing = insert(u"REPLACE"_s);
    static const QString ignoring = insert(u"IGNORE"_s);
    QSqlQuery* prepared = this->prepared(replace ? replacing : ignoring);
    if (!prepared)
        return false;
    QSqlQuery& query = *prepared;
    query.bindValue(0, *domain);
    query.bindValue(1, runId);
    const QVariant none(QMetaType::fromType<qint64>());
    const QVariant noText(QMetaType::fromType<QString>());
    int column = 2;
    for (const HistoryFetch& fetch : fetches.engines) {
        const bool failed = fetch.made() && !fetch.count;
        query.bindValue(column++, fetch.made() ? QVariant(started.msecsTo(fetch.at)) : none);
        query.bindValue(column++, fetch.count ? QVariant(*fetch.count) : none);
        query.bindValue(column++, failed ? QVariant(failureKindName(fetch.failure.kind)) : noText);
        const QString detail = failed ? failureDetailText(fetch.failure) : QString();
        query.bindValue(column++, detail.isEmpty() ? noText : QVariant(detail));
    }
    if (!query.exec())
        return failWith(query.lastError());
    if (inserted)
        *inserted = query.numRowsAffected() > 0;
    query.finish();
    return true;
}

bool HistoryStore::endRun(const QDateTime& ended, bool cancelled)
{
    if (!m_open || m_runId < 0)
        return false;
    QSqlQuery query(database());
    query.prepare(u"UPDATE run SET ended = ?, cancelled = ? WHERE id = ?"_s);
    query.addBindValue(msSinceEpoch(ended));
    query.addBindValue(cancelled ? 1 : 0);
    query.addBindValue(m_runId);
    m_runId = -1;
    return query.exec() || failWith(query.lastError());
}

QString HistoryStore::problemText() const
{
    const QString because = m_detail.isEmpty() ? QString() : u" (%1)"_s.arg(m_detail);
    switch (m_problem) {
    case HistoryProblem::None:
        break;
    case HistoryProblem::NotWritable:
        return u"the history file %1 cannot be written%2"_s.arg(m_path, because);
    case HistoryProblem::NotADatabase:
        return u"the history file %1 is not a Brenlow history%2; it is left as it is"_s.arg(m_path, because);
    case HistoryProblem::NewerSchema:
        return u"the history file %1 was written by a newer Brenlow; it is left as it is"_s.arg(m_path);
    case HistoryProblem::Locked:
        return u"the history file %1 is locked by another program"_s.arg(m_path);
    case HistoryProblem::WriteFailed:
        return u"the history file %1 could not be written%2; what it held before stays"_s.arg(m_path, because);
    case HistoryProblem::NotLocked:
        return u"the history file %1 is written only while the list is locked, and %2"_s.arg(m_path, m_detail);
    case HistoryProblem::NoDriver:
        return u"Qt's SQLite driver is not installed (Debian: libqt6sql6-sqlite)"_s;
    }
    return {};
}
