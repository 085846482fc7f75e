#pragma once

#include "net/eventpump.h"

#include <QByteArray>
#include <QDeadlineTimer>

#include <functional>
#include <memory>
#include <optional>

// A host name to an IPv4 address in host byte order; nothing when the name cannot be resolved. It may block.
using NameResolver = std::function<std::optional<quint32>(const QByteArray& name)>;

// Looks names up on a worker thread while the caller keeps its events running, so that a lookup that takes
// seconds on a poor network does not freeze the window. There is one worker, made at the first lookup: a lookup
// the caller gave up on (deadline, abandoned) is left to finish there, and the next lookup waits behind it, so
// that a name server that never answers holds one thread, not one more at every fetch. The worker leaves with
// the object, once the lookup in hand is over; the object never waits for it.
class NameLookup {
public:
    enum class End { Answered, TimedOut, Abandoned };

    explicit NameLookup(NameResolver resolve);
    ~NameLookup();
    NameLookup(const NameLookup&) = delete;
    NameLookup& operator=(const NameLookup&) = delete;

    // The address of name; nothing when it cannot be resolved, at the deadline, or once abandoned is true after
    // events have run (checked every slice of at most sliceMs). end says which.
    std::optional<quint32> resolve(const QByteArray& name, const EventPump& pump, const QDeadlineTimer& deadline,
                                   const bool& abandoned, int sliceMs, End& end);

private:
    struct Shared;
    void startWorker();

    std::shared_ptr<Shared> m_shared;
};
