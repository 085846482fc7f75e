#include "net/namelookup.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// What the caller and one worker thread share. The worker owns its part as long as it runs.
struct NameLookup::Worker {
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<QByteArray> request; // the name to look up next
    bool busy = false;                 // a lookup is running
    bool done = false;                 // the last lookup's answer is in address
    bool retired = false;              // leave after the lookup in hand
    std::optional<quint32> address;
};

NameLookup::NameLookup(NameResolver resolve)
    : m_resolve(std::move(resolve))
{
}

NameLookup::~NameLookup()
{
    retireWorker();
}

void NameLookup::retireWorker()
{
    if (!m_worker)
        return;
    const std::lock_guard lock(m_worker->mutex);
    m_worker->retired = true;
    m_worker->changed.notify_all();
    m_worker.reset();
}

std::optional<quint32> NameLookup::resolve(const QByteArray& name, const EventPump& pump,
                                           const QDeadlineTimer& deadline, const bool& abandoned, int sliceMs)
{
    // A worker still busy with a lookup given up on cannot take this one.
    if (m_worker) {
        const std::lock_guard lock(m_worker->mutex);
        if (m_worker->busy)
            m_worker->retired = true;
    }
    if (m_worker && m_worker->retired)
        m_worker.reset();
    if (!m_worker) {
        m_worker = std::make_shared<Worker>();
        std::thread([worker = m_worker, resolve = m_resolve] {
            std::unique_lock lock(worker->mutex);
            for (;;) {
                worker->changed.wait(lock, [&] { return worker->retired || worker->request; });
                if (worker->retired)
                    return;
                const QByteArray name = *std::exchange(worker->request, std::nullopt);
                worker->busy = true;
                lock.unlock();
                const std::optional<quint32> address = resolve(name);
                lock.lock();
                worker->busy = false;
                worker->address = address;
                worker->done = true;
                worker->changed.notify_all();
            }
        }).detach();
    }

    Worker& worker = *m_worker;
    std::unique_lock lock(worker.mutex);
    worker.done = false;
    worker.request = name;
    worker.changed.notify_all();
    while (!worker.changed.wait_for(lock, std::chrono::milliseconds(sliceMs), [&] { return worker.done; })) {
        if (deadline.hasExpired())
            return std::nullopt;
        lock.unlock();
        runEvents(pump);
        if (abandoned)
            return std::nullopt;
        lock.lock();
    }
    return worker.address;
}
