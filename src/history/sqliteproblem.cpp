#include "history/sqliteproblem.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QVariant>

#include <cerrno>
#include <cstring>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

sqlite3* handleOf(const QSqlDatabase& database)
{
    if (!database.isValid() || !database.driver())
        return nullptr;
    const QVariant handle = database.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

// What an extended result code adds to SQLite's own message.
QString extendedClause(int code)
{
    switch (code) {
    case SQLITE_READONLY_DIRECTORY:
        return u"its folder cannot be written"_s;
    case SQLITE_READONLY_DBMOVED:
        return u"it was moved or removed while open"_s;
    case SQLITE_READONLY_CANTINIT:
    case SQLITE_READONLY_RECOVERY:
    case SQLITE_READONLY_CANTLOCK:
        return u"its shared-memory file cannot be written"_s;
    case SQLITE_READONLY_ROLLBACK:
        return u"an unfinished write of another program waits in its journal, which cannot be undone read-only"_s;
    case SQLITE_CANTOPEN_ISDIR:
        return u"it is a directory"_s;
    case SQLITE_CANTOPEN_FULLPATH:
        return u"its full path cannot be found"_s;
    case SQLITE_CANTOPEN_NOTEMPDIR:
        return u"no folder for temporary files"_s;
    case SQLITE_IOERR_SHORT_READ:
        return u"the file ends early"_s;
    case SQLITE_IOERR_NOMEM:
        return u"out of memory"_s;
    default:
        return {};
    }
}

} // namespace

void useExtendedResultCodes(const QSqlDatabase& database)
{
    if (sqlite3* handle = handleOf(database))
        sqlite3_extended_result_codes(handle, 1);
}

SqliteProblem sqliteProblem(const QSqlDatabase& database, const QSqlError& error, bool writing)
{
    const int code = error.nativeErrorCode().toInt();
    sqlite3* handle = handleOf(database);
    const int systemError = handle ? sqlite3_system_errno(handle) : 0;

    QStringList parts{error.databaseText()};
    if (const QString clause = extendedClause(code); !clause.isEmpty())
        parts.append(clause);
    if (systemError != 0)
        parts.append(QString::fromLocal8Bit(std::strerror(systemError)));
    parts.removeAll(QString());
    const QString detail = parts.join(u": "_s);

    if (systemError == ENOSPC || systemError == EDQUOT || systemError == EFBIG)
        return {HistoryProblem::DiskFull, detail};
    const HistoryProblem failed = writing ? HistoryProblem::WriteFailed : HistoryProblem::ReadFailed;
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return {HistoryProblem::Locked, detail};
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return {HistoryProblem::NotWritable, detail};
    case SQLITE_CORRUPT:
        return {HistoryProblem::Damaged, detail};
    case SQLITE_NOTADB:
        return {HistoryProblem::NotADatabase, detail};
    case SQLITE_FULL:
        return {HistoryProblem::DiskFull, detail};
    case SQLITE_IOERR:
        if (code == SQLITE_IOERR_READ || code == SQLITE_IOERR_SHORT_READ)
            return {HistoryProblem::ReadFailed, detail};
        return {failed, detail};
    case SQLITE_CANTOPEN:
        return {writing ? HistoryProblem::NotWritable : HistoryProblem::ReadFailed, detail};
    default:
        return {failed, detail};
    }
}
