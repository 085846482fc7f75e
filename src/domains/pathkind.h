#pragma once

#include <QString>

// What stands at a path, with symbolic links followed: the list, its history and an export are only ever written
// where there is a regular file or nothing yet, so that a FIFO, a device or a directory given as a list by mistake
// is never replaced by a file.
enum class PathKind {
    Missing,     // nothing is there (its folder may be missing too)
    RegularFile, // a regular file, or a link to one
    Directory,
    Fifo,
    Device, // a character or block device: a terminal, /dev/null
    Socket,
    DanglingLink, // a symbolic link to nothing
    Unsearchable, // the folder cannot be searched: what is there is unknown
};

PathKind pathKind(const QString& path);

// Whether an export may write into what is there as it stands, instead of replacing it.
bool isStream(PathKind kind);

// What the path is, for a message that names it: "/x/list is a FIFO", "/x/list is a symbolic link to /y, which
// does not exist". Empty for a regular file or nothing.
QString pathKindClause(const QString& path, PathKind kind);
