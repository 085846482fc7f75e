#include "net/namelookup.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// What the caller and the worker thread share; the worker keeps it alive as long as it runs.
struct NameLookup::Shared {
    explicit Shared(NameResolver resolver)
        : resolve(std::move(resolver))
    {
    }

    const NameResolver resolve;
    std::mutex mutex;
    std::condition_variable changed;
    bool workerStarted = false;
    bool retired = false;              // leave after the lookup in hand
    quint64 lastAsked = 0;             // the number of the newest lookup
    std::optional<QByteArray> waiting; // the name of lookup lastAsked, until the worker takes it
    quint64 lastAnswered = 0;
    std::optional<quint32> answer; // of lookup lastAnswered
};

NameLookup::NameLookup(NameResolver resolve)
    : m_shared(std::make_shared<Shared>(std::move(resolve)))
{
}

NameLookup::~NameLookup()
{
    const std::lock_guard lock(m_shared->mutex);
    m_shared->retired = true;
    m_shared->changed.notify_all();
}

void NameLookup::startWorker()
{
    std::thread([shared = m_shared] {
        std::unique_lock lock(shared->mutex);
        for (;;) {
            shared->changed.wait(lock, [&] { return shared->retired || shared->waiting; });
            if (shared->retired)
                return;
            const QByteArray name = *std::exchange(shared->waiting, std::nullopt);
            const quint64 number = shared->lastAsked;
            lock.unlock();
            const std::optional<quint32> address = shared->resolve(name);
            lock.lock();
            shared->lastAnswered = number;
            shared->answer = address;
            shared->changed.notify_all();
        }
    }).detach();
}

std::optional<quint32> NameLookup::resolve(const QByteArray& name, const EventPump& pump,
                                           const QDeadlineTimer& deadline, const bool& abandoned, int sliceMs, End& end)
{
    Shared& shared = *m_shared;
    std::unique_lock lock(shared.mutex);
    if (!std::exchange(shared.workerStarted, true))
        startWorker();
    const quint64 number = ++shared.lastAsked;
    // A lookup given up on before the worker took it is not made at all.
    shared.waiting = name;
    shared.changed.notify_all();
    const auto giveUp = [&](End why) {
        if (shared.lastAsked == number)
            shared.waiting.reset();
        end = why;
        return std::nullopt;
    };
    while (!shared.changed.wait_for(lock, std::chrono::milliseconds(sliceMs),
                                    [&] { return shared.lastAnswered == number; })) {
        if (deadline.hasExpired())
            return giveUp(End::TimedOut);
        lock.unlock();
        runEvents(pump);
        lock.lock();
        if (abandoned)
            return giveUp(End::Abandoned);
    }
    end = End::Answered;
    return shared.answer;
}
