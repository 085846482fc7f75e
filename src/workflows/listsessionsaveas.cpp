#include "domains/listlocation.h"
#include "workflows/listsession.h"

bool ListSession::saveAs(const QString& path)
{
    const QString previous = m_domains.filePath();
    const QString target = canonicalListPath(path);
    // The list's own file: a plain save, which still never replaces a file found unreadable.
    if (target == canonicalListPath(previous))
        return saveChanges();
    // The file the session began with is still locked by it; any other needs a lock of its own first.
    std::unique_ptr<ListLock> lock;
    if (!m_lockHeld || target != canonicalListPath(m_historyListPath)) {
        lock = std::make_unique<ListLock>(path);
        switch (lock->lock()) {
        case ListLock::Result::Locked:
            break;
        case ListLock::Result::InUse:
            m_lockHolder = lock->holder();
            return fail(ListProblem::InUse, path);
        case ListLock::Result::Failed:
            m_lockError = lock->errorString();
            return fail(ListProblem::NotLockable, path);
        }
    }
    m_domains.setFilePath(path);
    // A failed save's problem names the file that could not be written.
    if (!saveChanges()) {
        m_domains.setFilePath(previous);
        return false;
    }
    // The lock of a file saved as before goes with it; the first file's stays while its history is written.
    m_savedAsLock = std::move(lock);
    return true;
}
