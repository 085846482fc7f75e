#include "domains/pathkind.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

PathKind pathKind(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat status {};
    if (::stat(name.constData(), &status) != 0) {
        if (errno != ENOENT)
            return PathKind::Unsearchable;
        struct stat link {};
        return ::lstat(name.constData(), &link) == 0 && S_ISLNK(link.st_mode) ? PathKind::DanglingLink
                                                                              : PathKind::Missing;
    }
    if (S_ISREG(status.st_mode))
        return PathKind::RegularFile;
    if (S_ISDIR(status.st_mode))
        return PathKind::Directory;
    if (S_ISFIFO(status.st_mode))
        return PathKind::Fifo;
    if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode))
        return PathKind::Device;
    return PathKind::Socket;
}

bool isStream(PathKind kind)
{
    return kind == PathKind::Fifo || kind == PathKind::Device || kind == PathKind::Socket;
}

QString pathKindClause(const QString& path, PathKind kind)
{
    switch (kind) {
    case PathKind::Missing:
    case PathKind::RegularFile:
        break;
    case PathKind::Directory:
        return u"%1 is a directory"_s.arg(path);
    case PathKind::Fifo:
        return u"%1 is a FIFO"_s.arg(path);
    case PathKind::Device:
        return u"%1 is a device"_s.arg(path);
    case PathKind::Socket:
        return u"%1 is a socket"_s.arg(path);
    case PathKind::DanglingLink:
        return u"%1 is a symbolic link to %2, which does not exist"_s.arg(path, QFileInfo(path).symLinkTarget());
    case PathKind::Unsearchable:
        return u"%1 cannot be reached (its folder cannot be searched)"_s.arg(path);
    }
    return {};
}
