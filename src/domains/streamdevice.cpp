#include "domains/streamdevice.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int SliceMs = 100;

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

StreamDevice::StreamDevice(int fd, OpenMode mode, Stop stop)
    : m_fd(fd)
    , m_stop(std::move(stop))
{
    QIODevice::open(mode);
}

StreamDevice::StreamDevice(std::FILE* memoryStream, Stop stop)
    : m_memoryStream(memoryStream)
    , m_stop(std::move(stop))
{
    QIODevice::open(QIODevice::ReadOnly);
}

StreamDevice::~StreamDevice()
{
    if (m_ownsFd)
        ::close(m_fd);
}

std::unique_ptr<StreamDevice> StreamDevice::open(const QString& path, OpenMode mode, Stop stop, QString& error)
{
    // Not blocking, so that opening a FIFO does not wait for its other end: a writer of a FIFO waits here for its
    // reader in slices; a reader finds its writer through poll().
    const int flags = O_CLOEXEC | O_NONBLOCK | (mode & QIODevice::WriteOnly ? O_WRONLY : O_RDONLY);
    const QByteArray name = QFile::encodeName(path);
    for (;;) {
        const int fd = ::open(name.constData(), flags);
        if (fd >= 0) {
            auto device = std::unique_ptr<StreamDevice>(new StreamDevice(fd, mode, std::move(stop)));
            device->m_ownsFd = true;
            return device;
        }
        if (errno != ENXIO && errno != EINTR) {
            error = systemError(errno);
            return nullptr;
        }
        if (stop && stop()) {
            error = u"interrupted"_s;
            return nullptr;
        }
        ::poll(nullptr, 0, SliceMs); // no reader of the FIFO yet
    }
}

bool StreamDevice::atEnd() const
{
    return m_ended && QIODevice::atEnd();
}

StreamDevice::Wait StreamDevice::waitFor(short events)
{
    for (;;) {
        if (m_stop && m_stop()) {
            m_stopped = true;
            setErrorString(u"interrupted"_s);
            return Wait::Stopped;
        }
        pollfd ready{m_fd, events, 0};
        const int count = ::poll(&ready, 1, SliceMs);
        if (count > 0)
            return Wait::Ready;
        if (count < 0 && errno != EINTR) {
            setErrorString(systemError(errno));
            return Wait::Failed;
        }
    }
}

qint64 StreamDevice::readData(char* data, qint64 maxSize)
{
    if (m_ended || m_stopped)
        return -1;
    if (maxSize <= 0) // Qt asks for nothing at times: no sign of the end
        return 0;
    if (m_memoryStream) {
        const std::size_t count = std::fread(data, 1, std::size_t(maxSize), m_memoryStream);
        if (count == 0)
            m_ended = true;
        return count == 0 ? -1 : qint64(count);
    }
    for (;;) {
        if (waitFor(POLLIN) != Wait::Ready)
            return -1;
        const ssize_t count = ::read(m_fd, data, std::size_t(maxSize));
        if (count > 0)
            return count;
        if (count == 0) {
            m_ended = true;
            return -1;
        }
        if (errno != EINTR && errno != EAGAIN) {
            setErrorString(systemError(errno));
            return -1;
        }
    }
}

qint64 StreamDevice::writeData(const char* data, qint64 size)
{
    // At most PIPE_BUF bytes once the descriptor is writable, so that a blocking pipe never blocks.
    qint64 written = 0;
    while (written < size) {
        if (m_stopped || waitFor(POLLOUT) != Wait::Ready)
            return -1;
        const std::size_t chunk = std::size_t(std::min<qint64>(size - written, PIPE_BUF));
        const ssize_t count = ::write(m_fd, data + written, chunk);
        if (count > 0) {
            written += count;
        } else if (count < 0 && errno != EINTR && errno != EAGAIN) {
            setErrorString(systemError(errno));
            return -1;
        }
    }
    return written;
}
