#pragma once

#include <QString>

// Where the domain list lives. A brenlow.txt that already stands in the program's directory is used there (a
// portable copy); otherwise the list is brenlow.txt in the user's data folder, $XDG_DATA_HOME/brenlow (by
// default ~/.local/share/brenlow), made when the list is first saved. Nothing else is written beside the
// program, so a build folder, a system-wide install or a package works.
QString listFilePath(const QString& programDirectory);

// The list file's path with every symbolic link resolved, so that every path to one file gives the same text. A
// file not made yet (a link to it, say) gets the path it will have.
QString canonicalListPath(const QString& path);
