#pragma once

#include <QLockFile>
#include <QString>

// Keeps every other instance, of the window or of the command line, off one list file for as long as it is
// held, so that no later save overwrites what another instance changed. The lock file stands beside the list;
// one left behind by a program that crashed is taken over.
class ListLock {
public:
    enum class Result {
        Locked, // held until the object goes
        InUse,  // another running instance holds the list
        Failed, // no lock could be made there (a folder that cannot be written); errorString() says why
    };

    explicit ListLock(const QString& listFilePath);

    Result lock();
    // The instance that holds the list, as "process 1234 on host", when lock() said InUse.
    QString holder() const;
    const QString& errorString() const { return m_errorString; }

private:
    QLockFile m_file;
    QString m_errorString;
};
