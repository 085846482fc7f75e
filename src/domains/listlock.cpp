#include "domains/listlock.h"

#include "domains/listlocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Attempts at a lock file that its last holder removes just as it is opened.
constexpr int maxAttempts = 5;

QByteArray readAll(int fd)
{
    QByteArray bytes;
    char buffer[512];
    ssize_t count = 0;
    while (bytes.size() < 4096 && (count = ::pread(fd, buffer, sizeof buffer, bytes.size())) > 0)
        bytes.append(buffer, count);
    return bytes;
}

// Who holds the lock, for the message of an instance that finds the list in use: process, program and host.
QByteArray holderInfo()
{
    const QString program = QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
    return QByteArray::number(qint64(::getpid())) + '\n' + program.toUtf8() + '\n' +
           QSysInfo::machineHostName().toUtf8() + '\n';
}

bool sameFile(int fd, const QString& path)
{
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(QFile::encodeName(path).constData(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

} // namespace

ListLock::ListLock(const QString& listFilePath)
    : m_path(canonicalListPath(listFilePath) + u".lock"_s)
{
}

ListLock::~ListLock()
{
    if (m_fd < 0)
        return;
    // Removed while still held, so that nobody takes the lock of a file that is no longer there.
    ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_fd);
}

ListLock::Result ListLock::lock()
{
    if (m_fd >= 0)
        return Result::Locked;
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder)) {
        m_errorString = u"the folder %1 cannot be created"_s.arg(folder);
        return Result::Failed;
    }
    const QByteArray path = QFile::encodeName(m_path);
    for (int attempt = 0; attempt < maxAttempts; ++attempt) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0) {
            const int error = errno;
            m_errorString = (error == EACCES || error == EROFS || error == EPERM)
                                ? u"no lock file can be written in %1"_s.arg(folder)
                                : u"the lock file %1 cannot be made: %2"_s.arg(
                                      m_path, QString::fromLocal8Bit(std::strerror(error)));
            return Result::Failed;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            if (error == EWOULDBLOCK)
                m_holderInfo = readAll(fd);
            ::close(fd);
            if (error == EWOULDBLOCK)
                return Result::InUse;
            m_errorString =
                u"the lock file %1 cannot be locked: %2"_s.arg(m_path, QString::fromLocal8Bit(std::strerror(error)));
            return Result::Failed;
        }
        // The last holder may have removed the file between its opening and its locking here.
        if (!sameFile(fd, m_path)) {
            ::close(fd);
            continue;
        }
        // What the file says is for messages only; the lock holds whether or not it could be written.
        const QByteArray info = holderInfo();
        if (::ftruncate(fd, 0) == 0)
            (void)!::pwrite(fd, info.constData(), std::size_t(info.size()), 0);
        m_fd = fd;
        return Result::Locked;
    }
    m_errorString = u"the lock file %1 keeps changing"_s.arg(m_path);
    return Result::Failed;
}

QString ListLock::holder() const
{
    const QList<QByteArray> lines = m_holderInfo.split('\n');
    bool isNumber = false;
    const qint64 pid = lines.value(0).toLongLong(&isNumber);
    if (!isNumber || pid <= 0)
        return u"another instance"_s;
    const QString host = QString::fromUtf8(lines.value(2));
    return host.isEmpty() ? u"process %1"_s.arg(pid) : u"process %1 on %2"_s.arg(pid).arg(host);
}
