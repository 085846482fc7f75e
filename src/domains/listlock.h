#pragma once

#include <QString>

// Keeps every other instance, of the window or of the command line, off one list file for as long as it is
// held, so that no later save overwrites what another instance changed. The lock is the file "<list>.lock" beside
// the list's canonical path, so every path to the list (a symbolic link, say) meets the same lock. An instance
// holds it by a lock of the system on that file, which ends with the process however it ends: a lock file that
// no running instance holds (left by a crash, empty or garbled) never blocks, and is taken over.
class ListLock {
public:
    enum class Result {
        Locked, // held until the object goes
        InUse,  // another running instance holds the list
        Failed, // no lock could be made there (a folder that cannot be written); errorString() says why
    };

    explicit ListLock(const QString& listFilePath);
    ~ListLock();
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;

    const QString& lockFilePath() const { return m_path; }

    Result lock();
    // The instance that holds the list, as "process 1234 on host", when lock() said InUse.
    QString holder() const;
    const QString& errorString() const { return m_errorString; }

private:
    QString m_path;
    int m_fd = -1;
    QByteArray m_holderInfo; // what the holder wrote into the lock file
    QString m_errorString;
};
