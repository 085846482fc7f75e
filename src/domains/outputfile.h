#pragma once

#include "domains/pathkind.h"
#include "domains/streamdevice.h"

#include <QIODevice>
#include <QSaveFile>
#include <QString>

#include <memory>
#include <optional>

// Where a file that the user names is written (an export): a regular file, or a path where nothing is yet, is
// replaced atomically once all of it is written, so that a failed or interrupted write leaves what was there; a
// FIFO, a terminal or another device is written into as it stands. A directory or a link to nothing is refused.
class OutputFile {
public:
    OutputFile(QString path, StreamDevice::Stop stop = {});

    // False, with errorString(), when the path cannot be written.
    bool open();
    QIODevice& device();
    // Ends the writing: the file replaces what was at the path. False, with errorString(), when it could not.
    bool commit();
    // Gives up: a file is not replaced (a stream has had what was written).
    void cancel();
    QString errorString() const;

private:
    QString m_path;
    StreamDevice::Stop m_stop;
    std::optional<QSaveFile> m_file;
    std::unique_ptr<StreamDevice> m_stream;
    QString m_error;
};
