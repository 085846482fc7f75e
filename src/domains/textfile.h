#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A text file's bytes as they stand, read in one pass; nothing when it cannot be opened or read, with the
// reason in error.
std::optional<QByteArray> readTextFile(const QString& path, QString& error);
