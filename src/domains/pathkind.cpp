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
    QString what;
    switch (kind) {
    case PathKind::Missing:
    case PathKind::RegularFile:
        return {};
    case PathKind::Directory:
        what = u"a directory"_s;
        break;
    case PathKind::Fifo:
        what = u"a FIFO"_s;
        break;
    case PathKind::Device:
        what = u"a device"_s;
        break;
    case PathKind::Socket:
        what = u"a socket"_s;
        break;
    case PathKind::DanglingLink:
        return u"%1 is a symbolic link to %2, which does not exist"_s.arg(path, QFileInfo(path).symLinkTarget());
    case PathKind::Unsearchable:
        return u"%1 cannot be reached (its folder cannot be searched)"_s.arg(path);
    }
    const QFileInfo info(path);
    if (info.isSymLink())
        return u"%1 is a symbolic link to %2, which is %3"_s.arg(path, info.symLinkTarget(), what);
    return u"%1 is %2"_s.arg(path, what);
}
