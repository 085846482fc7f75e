#include "domains/listlock.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

ListLock::ListLock(const QString& listFilePath)
    : m_file(listFilePath + u".lock"_s)
{
    // Held for as long as the program runs: only a holder that no longer runs makes the lock stale.
    m_file.setStaleLockTime(0);
}

ListLock::Result ListLock::lock()
{
    const QString folder = QFileInfo(m_file.fileName()).absolutePath();
    if (!QDir().mkpath(folder)) {
        m_errorString = u"the folder %1 cannot be created"_s.arg(folder);
        return Result::Failed;
    }
    if (m_file.tryLock(0))
        return Result::Locked;
    switch (m_file.error()) {
    case QLockFile::LockFailedError:
        return Result::InUse;
    case QLockFile::PermissionError:
        m_errorString = u"no lock file can be written in %1"_s.arg(folder);
        return Result::Failed;
    case QLockFile::NoError:
    case QLockFile::UnknownError:
        break;
    }
    m_errorString = u"the lock file %1 cannot be made"_s.arg(m_file.fileName());
    return Result::Failed;
}

QString ListLock::holder() const
{
    qint64 pid = 0;
    QString host;
    QString application;
    if (!m_file.getLockInfo(&pid, &host, &application))
        return u"another instance"_s;
    return u"process %1 on %2"_s.arg(pid).arg(host);
}
