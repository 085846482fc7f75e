#include "workflows/historythread.h"

HistoryThread::HistoryThread(QString listFilePath)
    : m_listFilePath(std::move(listFilePath))
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
        m_tasks.push_back({[](HistoryStore&) {}, false}); // opens the history, and so finds its problems at once
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

void HistoryThread::hand(std::function<void(HistoryStore&)> task, bool closes)
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
    hand([started, frontEnd](HistoryStore& store) { store.beginRun(started, frontEnd); });
}

void HistoryThread::recordDomain(DomainFetches fetches)
{
    hand([fetches = std::move(fetches)](HistoryStore& store) { store.recordDomain(fetches); });
}

void HistoryThread::endRun(const QDateTime& ended, bool cancelled)
{
    hand([ended, cancelled](HistoryStore& store) { store.endRun(ended, cancelled); }, true);
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
    // The store and its connection belong to this thread. It is opened for a run and closed once the run is
    // written, with no one waiting: closing moves the log into the database and flushes it to disk, which takes
    // a few milliseconds.
    std::optional<HistoryStore> store;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || !m_tasks.empty(); });
        if (m_tasks.empty())
            return;
        const Task task = std::move(m_tasks.front());
        m_tasks.pop_front();
        m_busy = true;
        lock.unlock();
        if (!store) {
            store.emplace(m_listFilePath);
            store->open(HistoryStore::Mode::Write);
        }
        if (store->isOpen())
            task.write(*store);
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
        if (task.closes && m_tasks.empty()) {
            lock.unlock();
            store.reset();
            lock.lock();
        }
    }
}
