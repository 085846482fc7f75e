#pragma once

class Console;
class ListSession;

// What one run of brenlow-cli has beside the list: where it writes, whether a person watches standard error, and
// the termination signal that came, if any.
struct Invocation {
    const Console& console;
    bool watched = false;
    int signalReceived = 0;

    // Saves the list: Ok, or ListUnusable after a message naming the file.
    int saveList(ListSession& session) const;
};
