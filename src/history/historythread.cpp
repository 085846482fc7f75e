#include "history/historythread.h"

#include <algorithm>
#include <chrono>

HistoryThread::HistoryThread(QString listFilePath, HistoryStore::FreeSpace freeSpace)
    : m_listFilePath(std::move(listFilePath))
    , m_freeSpace(std::move(freeSpace))
{
}

HistoryThread::~HistoryThread()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void HistoryThread::start()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_started || m_failed)
            return;
        m_started = true;
        m_tasks.push_back({{}, false}); // opens the history, and so finds its problems at once
    }
    m_thread = std::thread([this] { work(); });
}

void HistoryThread::refuse(const QString& why)
{
    HistoryStore store(m_listFilePath);
    store.refuseWriting(why);
    std::lock_guard lock(m_mutex);
    m_failed = true;
    m_problem = store.problemText();
}

void HistoryThread::hand(std::function<bool(HistoryStore&)> task, bool closes)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_failed || !m_started)
            return;
        m_tasks.push_back({std::move(task), closes});
    }
    m_changed.notify_all();
}

void HistoryThread::beginRun(const QDateTime& started, FrontEnd frontEnd)
{
    hand([started, frontEnd](HistoryStore& store) { return store.beginRun(started, frontEnd); });
}

void HistoryThread::recordDomain(DomainFetches fetches)
{
    hand([fetches = std::move(fetches)](HistoryStore& store) { return store.recordDomain(fetches); });
}

void HistoryThread::endRun(const QDateTime& ended, bool cancelled)
{
    hand([ended, cancelled](HistoryStore& store) { return store.endRun(ended, cancelled); }, true);
}

std::optional<QString> HistoryThread::problem()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_failed || (m_tasks.empty() && !m_busy); });
    if (m_failed)
        return m_problem;
    return std::nullopt;
}

void HistoryThread::work()
{
    // The store and its connection belong to this thread. It is opened for a run, checked once to be a whole
    // history of Brenlow's, and closed once the run is written.
    std::optional<HistoryStore> store;
    std::chrono::steady_clock::time_point lastCommit;
    bool wholeOnce = false;
    const auto closing = [this] {
        return std::any_of(m_tasks.begin(), m_tasks.end(), [](const Task& task) { return task.closes; });
    };
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || !m_tasks.empty(); });
        if (m_tasks.empty())
            return;
        // A commit waits for the disk (each one is flushed to it); domains that end faster than that, as when
        // every fetch fails at once, go in with the next commit, at most CommitInterval later, instead of queueing.
        // The end of a run is written at once.
        m_changed.wait_until(lock, lastCommit + CommitInterval, [&] { return m_stopping || closing(); });
        std::deque<Task> tasks = std::move(m_tasks);
        m_tasks.clear();
        m_busy = true;
        lock.unlock();
        if (!store) {
            store.emplace(m_listFilePath);
            if (m_freeSpace)
                store->setFreeSpace(m_freeSpace);
            // The file is checked whole once a session: between its runs only this thread writes it.
            store->open(HistoryStore::Mode::Write,
                        wholeOnce ? HistoryStore::Check::SchemaOnly : HistoryStore::Check::Whole);
            wholeOnce = wholeOnce || store->isOpen();
        }
        const bool writes = std::any_of(tasks.begin(), tasks.end(), [](const Task& task) { return bool(task.write); });
        if (store->isOpen() && writes) {
            store->transaction([&] {
                return std::all_of(tasks.begin(), tasks.end(),
                                   [&](const Task& task) { return !task.write || task.write(*store); });
            });
            lastCommit = std::chrono::steady_clock::now();
        }
        const bool failed = store->problem() != HistoryProblem::None;
        const QString problem = failed ? store->problemText() : QString();
        lock.lock();
        m_busy = false;
        if (failed && !m_failed) {
            m_failed = true;
            m_problem = problem;
            m_tasks.clear();
        }
        m_changed.notify_all();
        if (tasks.back().closes && m_tasks.empty()) {
            lock.unlock();
            store.reset();
            lock.lock();
        }
    }
}
