#pragma once

#include "net/busypointer.h"

// The wait pointer over the whole application while the program waits for the network.
class QtBusyPointer final : public BusyPointer {
public:
    ~QtBusyPointer();
    void setBusy(bool busy) override;

private:
    bool m_shown = false;
};
