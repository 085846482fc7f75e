#pragma once

#include <functional>

// Lets pending user-interface events run once. The program passes QCoreApplication::processEvents; tests pass
// their own function, which is how they act "during" a wait. An empty pump does nothing.
using EventPump = std::function<void()>;

inline void runEvents(const EventPump& pump)
{
    if (pump)
        pump();
}
