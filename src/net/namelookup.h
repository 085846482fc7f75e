#pragma once

#include "net/eventpump.h"

#include <QByteArray>
#include <QDeadlineTimer>

#include <functional>
#include <memory>
#include <optional>

// A host name to an IPv4 address in host byte order; nothing when the name cannot be resolved. It may block.
using NameResolver = std::function<std::optional<quint32>(const QByteArray& name)>;

// Looks names up on a worker thread of its own while the caller keeps its events running, so that a lookup that
// takes seconds on a poor network does not freeze the window. The worker stays for the next lookup. A lookup
// still going when the caller gives up (deadline, abandoned) is left to finish on its worker, and the next
// lookup gets a fresh one; the object never waits for a worker.
class NameLookup {
public:
    explicit NameLookup(NameResolver resolve);
    ~NameLookup();
    NameLookup(const NameLookup&) = delete;
    NameLookup& operator=(const NameLookup&) = delete;

    // The address of name; nothing when it cannot be resolved, at the deadline, or once abandoned is true after
    // events have run (checked every slice of at most sliceMs).
    std::optional<quint32> resolve(const QByteArray& name, const EventPump& pump, const QDeadlineTimer& deadline,
                                   const bool& abandoned, int sliceMs);

private:
    struct Worker;
    void retireWorker();

    NameResolver m_resolve;
    std::shared_ptr<Worker> m_worker;
};
