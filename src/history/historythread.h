#pragma once

#include "history/historystore.h"

#include <QString>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// Writes the history of a list's update runs on a thread of its own, through a connection of its own, so that a
// run's requests never wait for the disk: a domain is handed over as soon as its fetches end, and is written while
// the next domain's requests go out. What is handed over is written in order, in one transaction with whatever
// else waits, and commits come at most every CommitInterval, so that the thread keeps up however fast the
// requests go; once a write fails, nothing more is written. The history is open only while a run writes to it.
class HistoryThread {
public:
    // The shortest time between two commits of the history.
    static constexpr std::chrono::milliseconds CommitInterval{50};

    // freeSpace: the free space of the history's disk as the store sees it; the system's when empty.
    explicit HistoryThread(QString listFilePath, HistoryStore::FreeSpace freeSpace = {});
    // Writes everything handed over, then ends the thread.
    ~HistoryThread();
    HistoryThread(const HistoryThread&) = delete;
    HistoryThread& operator=(const HistoryThread&) = delete;

    // Starts the thread, which opens the history to write.
    void start();
    // The history is not to be written, because the list's lock is not held (why says why).
    void refuse(const QString& why);

    // Each returns at once.
    void beginRun(const QDateTime& started, FrontEnd frontEnd);
    void recordDomain(DomainFetches fetches);
    void endRun(const QDateTime& ended, bool cancelled);

    // Waits until everything handed over is written; then why the history is not being kept, or nothing (also
    // when it was neither started nor refused: then nothing is kept, and nobody is told).
    std::optional<QString> problem();

private:
    struct Task {
        std::function<bool(HistoryStore&)> write; // none for the first, which only opens the store
        bool closes = false;                      // the store is closed after it, unless more is waiting
    };

    void hand(std::function<bool(HistoryStore&)> task, bool closes = false);
    void work();

    QString m_listFilePath;
    HistoryStore::FreeSpace m_freeSpace;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Task> m_tasks;
    bool m_started = false;
    bool m_busy = false; // a task is under way
    bool m_stopping = false;
    bool m_failed = false; // the store has met a problem: nothing more is written
    QString m_problem;     // what it was, once m_failed
    std::thread m_thread;
};
