#include "history/historystore.h"

#include "domains/listlocation.h"
#include "history/historyschema.h"
#include "history/sqliteproblem.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <limits>

#include <sys/statvfs.h>

using namespace Qt::StringLiterals;
using namespace history;

namespace {

// Room the next save of a list needs beside it: the new file is written before the old one goes. Twice the
// list's size and some more leaves room for a list that grows in the run.
constexpr qint64 ListSaveMargin = 256 * 1024;
// What one write of the history may take at most, its journal included.
constexpr qint64 RunRoom = 4 * 1024;
constexpr qint64 DomainRoom = 8 * 1024;
constexpr std::chrono::milliseconds RoomLookInterval{100};

std::optional<qint64> systemFreeSpace(const QString& folder)
{
    struct statvfs status {};
    if (::statvfs(QFile::encodeName(folder).constData(), &status) != 0)
        return std::nullopt;
    return qint64(status.f_bavail) * qint64(status.f_frsize);
}

} // namespace

QString HistoryStore::pathFor(const QString& listFilePath)
{
    return canonicalListPath(listFilePath) + ".history.sqlite"_L1;
}

HistoryStore::HistoryStore(const QString& listFilePath, std::chrono::milliseconds busyTimeout)
    : m_listPath(canonicalListPath(listFilePath))
    , m_path(m_listPath + ".history.sqlite"_L1)
    , m_busyTimeout(busyTimeout)
    , m_freeSpace(systemFreeSpace)
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
    m_pending = false;
    m_inTransaction = false;
    m_runId = -1;
    m_domainIds.clear();
}

bool HistoryStore::fail(HistoryProblem problem, const QString& detail)
{
    // The connection stays until the store is opened again or goes, as queries may still hold it; what a
    // failed write began is undone.
    m_problem = problem;
    m_detail = detail;
    if (m_inTransaction && QSqlDatabase::contains(m_connection))
        QSqlQuery(database()).exec(u"ROLLBACK"_s);
    m_inTransaction = false;
    m_open = false;
    m_runId = -1;
    return false;
}

bool HistoryStore::failWith(const QSqlError& error)
{
    const SqliteProblem problem = sqliteProblem(database(), error, m_writable);
    return fail(problem.kind, problem.detail);
}

QSqlQuery* HistoryStore::prepared(const QString& statement)
{
    // Each statement is prepared once a store: a run makes its inserts a thousand times.
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

bool HistoryStore::ensureRoom(qint64 bytes)
{
    // The history gives way to the list: it stops while the disk holds less than the list's next save needs. The
    // disk is looked at again once the writes since the last look may have used what was left beyond that, and
    // at least every RoomLookInterval, as another program may fill it meanwhile.
    const auto now = std::chrono::steady_clock::now();
    if (bytes > m_roomLeft || now - m_roomLooked >= RoomLookInterval) {
        const std::optional<qint64> free = m_freeSpace(QFileInfo(m_path).absolutePath());
        const qint64 listSize = std::max<qint64>(QFileInfo(m_listPath).size(), 0);
        m_roomLeft = free ? *free - 2 * listSize - ListSaveMargin : std::numeric_limits<qint64>::max();
        m_roomLooked = now;
    }
    if (bytes <= m_roomLeft) {
        m_roomLeft -= bytes;
        return true;
    }
    // What a transaction wrote before is kept: the room for it was there.
    if (m_inTransaction) {
        m_roomRanOut = true;
        return false;
    }
    return fail(HistoryProblem::DiskFull);
}

bool HistoryStore::transaction(const std::function<bool()>& writes)
{
    if (!m_open || !m_writable || (m_pending && (!ensureRoom(RunRoom) || !create())))
        return false;
    if (!exec(u"BEGIN IMMEDIATE"_s))
        return false;
    m_inTransaction = true;
    m_roomRanOut = false;
    const bool written = writes();
    if (m_roomRanOut && m_open) {
        m_inTransaction = false;
        return exec(u"COMMIT"_s) && fail(HistoryProblem::DiskFull);
    }
    if (!written || !m_open)
        return fail(m_problem == HistoryProblem::None ? HistoryProblem::WriteFailed : m_problem, m_detail);
    m_inTransaction = false;
    return exec(u"COMMIT"_s);
}

QHash<qint64, QByteArray> HistoryStore::domainNamesById() const
{
    QHash<qint64, QByteArray> names;
    names.reserve(m_domainIds.size());
    for (auto it = m_domainIds.cbegin(); it != m_domainIds.cend(); ++it)
        names.insert(it.value(), it.key());
    return names;
}

bool HistoryStore::loadDomainIds()
{
    m_domainIds.clear();
    m_sourceIds.clear();
    m_engineOfSource.clear();
    if (m_empty || m_pending)
        return true;
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.exec(u"SELECT id, name FROM domain"_s))
        return failWith(query.lastError());
    while (query.next())
        m_domainIds.insert(query.value(1).toByteArray(), query.value(0).toLongLong());
    // The history names its sources; those the catalogue holds are its engines.
    if (!query.exec(u"SELECT id, name FROM source"_s))
        return failWith(query.lastError());
    const auto& engines = engineDefinitions();
    while (query.next()) {
        const QString name = query.value(1).toString();
        const auto engine =
            std::find_if(engines.begin(), engines.end(), [&](const EngineDefinition& e) { return e.name == name; });
        if (engine == engines.end())
            continue;
        const int index = int(engine - engines.begin());
        m_sourceIds.insert(index, query.value(0).toLongLong());
        m_engineOfSource.insert(query.value(0).toLongLong(), index);
    }
    return true;
}

std::optional<qint64> HistoryStore::nameId(const QString& table, const QVariant& name)
{
    // Another connection of this list's may have added the name since the names were read.
    QSqlQuery* insert = prepared(u"INSERT OR IGNORE INTO %1(name) VALUES (?)"_s.arg(table));
    QSqlQuery* select = insert ? prepared(u"SELECT id FROM %1 WHERE name = ?"_s.arg(table)) : nullptr;
    if (!select)
        return std::nullopt;
    insert->bindValue(0, name);
    if (!insert->exec()) {
        failWith(insert->lastError());
        return std::nullopt;
    }
    select->bindValue(0, name);
    if (!select->exec() || !select->next()) {
        failWith(select->lastError());
        return std::nullopt;
    }
    const qint64 id = select->value(0).toLongLong();
    select->finish();
    return id;
}

std::optional<qint64> HistoryStore::sourceId(int engine)
{
    const auto known = m_sourceIds.constFind(engine);
    if (known != m_sourceIds.cend())
        return *known;
    // A source new to this history is named in it before its first count.
    const std::optional<qint64> id = nameId(u"source"_s, engineDefinitions()[std::size_t(engine)].name.toString());
    if (id) {
        m_sourceIds.insert(engine, *id);
        m_engineOfSource.insert(*id, engine);
    }
    return id;
}

std::optional<qint64> HistoryStore::domainId(const QByteArray& domain)
{
    const auto known = m_domainIds.constFind(domain);
    if (known != m_domainIds.cend())
        return *known;
    const std::optional<qint64> id = nameId(u"domain"_s, domain);
    if (id)
        m_domainIds.insert(domain, *id);
    return id;
}

bool HistoryStore::beginRun(const QDateTime& started, FrontEnd frontEnd)
{
    if (!m_open || !m_writable || !ensureRoom(RunRoom) || (m_pending && !create()))
        return false;
    // The start is what the clock says, however wrong; the run is told apart by an identity of its own.
    QSqlQuery* query = prepared(u"INSERT INTO run(identity, started, front_end) VALUES (?, ?, ?)"_s);
    if (!query)
        return false;
    query->bindValue(0, QUuid::createUuid().toString(QUuid::WithoutBraces));
    query->bindValue(1, msSinceEpoch(started));
    query->bindValue(2, static_cast<int>(frontEnd));
    if (!query->exec())
        return failWith(query->lastError());
    m_runId = query->lastInsertId().toLongLong();
    m_runStarted = started;
    return true;
}

bool HistoryStore::recordDomain(const DomainFetches& fetches)
{
    if (!m_open || m_runId < 0 || !ensureRoom(DomainRoom))
        return false;
    return insertFetches(m_runId, m_runStarted, fetches);
}

bool HistoryStore::insertFetches(qint64 runId, const QDateTime& started, const DomainFetches& fetches)
{
    const std::optional<qint64> domain = domainId(fetches.domain);
    if (!domain)
        return false;
    // The domain's fetches go in with one statement, a row each.
    QList<std::pair<qint64, const HistoryFetch*>> made;
    for (int engine = 0; engine < fetches.engines.size(); ++engine) {
        if (!fetches.engines[engine].made())
            continue;
        const std::optional<qint64> source = sourceId(engine);
        if (!source)
            return false;
        made.append({*source, &fetches.engines[engine]});
    }
    if (made.isEmpty())
        return true;
    QStringList rows(made.size(), u"(?, ?, ?, ?, ?, ?, ?)"_s);
    QSqlQuery* query = prepared(u"INSERT OR REPLACE INTO fetch(run, domain, source, at, count, failure, detail) "
                                u"VALUES "_s +
                                rows.join(u", "_s));
    if (!query)
        return false;
    for (int row = 0; row < made.size(); ++row) {
        const int first = 7 * row;
        query->bindValue(first, runId);
        query->bindValue(first + 1, *domain);
        query->bindValue(first + 2, made[row].first);
        bindFetch(*query, first + 3, started, *made[row].second);
    }
    if (!query->exec())
        return failWith(query->lastError());
    query->finish();
    return true;
}

bool HistoryStore::endRun(const QDateTime& ended, bool cancelled)
{
    if (!m_open || m_runId < 0)
        return false;
    QSqlQuery* query = prepared(u"UPDATE run SET ended = ?, cancelled = ? WHERE id = ?"_s);
    if (!query)
        return false;
    // A clock set back during the run does not make a run that ends before it starts.
    query->bindValue(0, std::max(msSinceEpoch(ended), msSinceEpoch(m_runStarted)));
    query->bindValue(1, cancelled ? 1 : 0);
    query->bindValue(2, m_runId);
    m_runId = -1;
    return query->exec() || failWith(query->lastError());
}

QString HistoryStore::problemText() const
{
    const QString because = m_detail.isEmpty() ? QString() : u" (%1)"_s.arg(m_detail);
    switch (m_problem) {
    case HistoryProblem::None:
        break;
    case HistoryProblem::NotAFile:
        return u"the history file %1; it is not used"_s.arg(m_detail);
    case HistoryProblem::NotWritable:
        return u"the history file %1 cannot be written%2"_s.arg(m_path, because);
    case HistoryProblem::NotADatabase:
        return u"the history file %1 is not a Brenlow history%2; it is left as it is"_s.arg(m_path, because);
    case HistoryProblem::NewerSchema:
        return u"the history file %1 was written by a newer Brenlow; it is left as it is"_s.arg(m_path);
    case HistoryProblem::Damaged:
        return u"the history file %1 is damaged%2; it is left as it is"_s.arg(m_path, because);
    case HistoryProblem::Locked:
        return u"the history file %1 is locked by another program"_s.arg(m_path);
    case HistoryProblem::DiskFull:
        return u"the disk that holds the history file %1 is full or nearly so%2; the history stops there, and what "
               u"it holds stays, so that the domain list can still be saved"_s.arg(m_path, because);
    case HistoryProblem::ReadFailed:
        return u"the history file %1 could not be read%2"_s.arg(m_path, because);
    case HistoryProblem::WriteFailed:
        return u"the history file %1 could not be written%2; what it held before stays"_s.arg(m_path, because);
    case HistoryProblem::NotLocked:
        return u"the history file %1 is written only while the list is locked, and %2"_s.arg(m_path, m_detail);
    case HistoryProblem::NoDriver:
        return u"Qt's SQLite driver is not installed (Debian: libqt6sql6-sqlite)"_s;
    }
    return {};
}
