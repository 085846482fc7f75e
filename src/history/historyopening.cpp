// Opening a history: to read, without writing; to write, once the file is known to be a whole history of
// Brenlow's, taken to the present schema.

#include "domains/pathkind.h"
#include "history/historyschema.h"
#include "history/historystore.h"
#include "history/sqliteproblem.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>

#include <cerrno>
#include <cstring>

#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace history;

namespace {

bool writable(const QString& path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// A file of version 1 that a 1.2 Brenlow left in write-ahead-log mode, with no log beside it: everything is in
// the file, which is read as it stands, so that reading makes no log and no index file beside it.
bool isIdleLogFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(20);
    return header.size() == 20 && header.startsWith("SQLite format 3") && header[18] == 2 && header[19] == 2 &&
           !QFileInfo::exists(path + u"-wal"_s);
}

QString sqliteUri(const QString& path, const QString& query)
{
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + u'?' + query;
}

} // namespace

bool HistoryStore::open(Mode mode, Check check)
{
    close();
    m_problem = HistoryProblem::None;
    m_detail.clear();
    m_empty = false;
    m_version = 0;
    m_writable = mode == Mode::Write;
    if (!QSqlDatabase::isDriverAvailable(u"QSQLITE"_s))
        return fail(HistoryProblem::NoDriver);
    const PathKind kind = pathKind(m_path);
    if (kind != PathKind::Missing && kind != PathKind::RegularFile)
        return fail(HistoryProblem::NotAFile, pathKindClause(m_path, kind));
    if (m_writable)
        return openToWrite(kind == PathKind::RegularFile, check);
    if (kind == PathKind::Missing) {
        m_empty = m_open = true;
        return true;
    }
    return openToRead();
}

bool HistoryStore::connect(const QString& uri, bool readOnly)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_connection);
    db.setDatabaseName(uri);
    QString options = u"QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1"_s.arg(m_busyTimeout.count());
    if (readOnly)
        options += u";QSQLITE_OPEN_READONLY"_s;
    db.setConnectOptions(options);
    if (!db.open())
        return failWith(db.lastError());
    useExtendedResultCodes(db);
    m_open = true;
    return true;
}

bool HistoryStore::openToRead()
{
    // Read only, and through the link to the file itself: a reader needs no write access and makes no file.
    const QString file = QFileInfo(m_path).canonicalFilePath();
    const QString query = isIdleLogFile(file) ? u"mode=ro&immutable=1"_s : u"mode=ro"_s;
    if (!connect(sqliteUri(file, query), true) || !checkSchema(false))
        return false;
    // An older history is read as it stands, through views that show it as the present version.
    if (m_version >= 1 && m_version < SchemaVersion) {
        for (const QString& statement : olderVersionViews(m_version)) {
            if (!exec(statement))
                return false;
        }
    }
    return loadDomainIds();
}

bool HistoryStore::openToWrite(bool exists, Check check)
{
    const QFileInfo file(m_path);
    if (!exists) {
        // Made with the first write, so that a session that writes nothing leaves no file.
        if (!writable(file.absolutePath()))
            return fail(HistoryProblem::NotWritable, QString::fromLocal8Bit(std::strerror(errno)));
        m_pending = m_open = true;
        return true;
    }
    // SQLite would open a file it cannot write read-only without a word, and its journal goes beside it.
    const QString real = file.canonicalFilePath();
    if (!writable(real) || !writable(QFileInfo(real).absolutePath()))
        return fail(HistoryProblem::NotWritable, QString::fromLocal8Bit(std::strerror(errno)));
    // Nothing in the file changes (its journal mode included) before it is known to be a whole Brenlow history.
    if (!connect(sqliteUri(real, u"mode=rw"_s), false) || !checkSchema(true))
        return false;
    if (m_version > 0 && check == Check::Whole && !checkWhole())
        return false;
    QSqlQuery mode(database());
    if (!mode.exec(u"PRAGMA journal_mode"_s) || !mode.next())
        return failWith(mode.lastError());
    const bool logMode = mode.value(0).toString() == u"wal"_s;
    mode.finish();
    if ((logMode && !exec(u"PRAGMA journal_mode=DELETE"_s)) || !migrate())
        return false;
    return loadDomainIds();
}

bool HistoryStore::create()
{
    // A small page, as a domain's commit writes a page or two.
    if (!connect(sqliteUri(m_path, u"mode=rwc"_s), false) || !exec(u"PRAGMA page_size=1024"_s) ||
        !exec(u"PRAGMA journal_mode=DELETE"_s))
        return false;
    m_pending = false;
    return migrate() && loadDomainIds();
}

bool HistoryStore::beginAndReadSchema(const QString& begin)
{
    // What the file holds, table by table and column by column, in the transaction that begin starts.
    if (!exec(begin))
        return false;
    m_inTransaction = true;
    QSqlQuery query(database());
    if (!query.exec(u"PRAGMA user_version"_s) || !query.next())
        return failWith(query.lastError());
    m_version = query.value(0).toInt();
    query.finish();
    if (m_version > SchemaVersion)
        return fail(HistoryProblem::NewerSchema);
    QSqlError error;
    const std::optional<bool> ours = isHistorySchema(database(), m_version, error);
    if (!ours)
        return failWith(error);
    return *ours || fail(HistoryProblem::NotADatabase);
}

bool HistoryStore::checkSchema(bool writing)
{
    if (!beginAndReadSchema(u"BEGIN"_s))
        return false;
    m_empty = !writing && m_version == 0;
    m_inTransaction = false;
    return exec(u"COMMIT"_s);
}

bool HistoryStore::checkWhole()
{
    // A damaged page would take whatever is written next with it.
    QSqlQuery query(database());
    if (!query.exec(u"PRAGMA quick_check(1)"_s) || !query.next())
        return failWith(query.lastError());
    const QString verdict = query.value(0).toString();
    if (verdict != u"ok"_s)
        return fail(HistoryProblem::Damaged, verdict);
    return true;
}

bool HistoryStore::migrate()
{
    // The schema is read again under the write lock, so that no other connection makes it meanwhile.
    if (!beginAndReadSchema(u"BEGIN IMMEDIATE"_s))
        return false;
    for (int step = m_version; step < SchemaVersion; ++step) {
        for (const QString& statement : schemaSteps()[std::size_t(step)].split(u';', Qt::SkipEmptyParts)) {
            if (!exec(statement))
                return false;
        }
    }
    if (m_version < SchemaVersion && !exec(u"PRAGMA user_version = %1"_s.arg(SchemaVersion)))
        return false;
    m_version = SchemaVersion;
    m_inTransaction = false;
    return exec(u"COMMIT"_s);
}
