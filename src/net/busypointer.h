#pragma once

// The application-wide mouse pointer, wait pointer or default pointer. HttpFetcher calls setBusy after every
// change of its nesting count with the state the pointer should show, so the same state may come twice in a
// row: an implementation makes repeated calls harmless and ignores its own failures.
class BusyPointer {
public:
    virtual void setBusy(bool busy) = 0;

protected:
    ~BusyPointer() = default;
};
