#pragma once

#include <array>
#include <csignal>
#include <functional>
#include <memory>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a call of onTermination from the event loop: the signal handler only
// writes the signal's number into a pipe, which a socket notifier reads. Work that runs no event loop asks
// received() instead. A signal the process was started with ignored (under nohup, say) stays ignored. SIGXFSZ
// is ignored, so that a write beyond the file-size limit fails and is reported like any other failed save
// instead of ending the process.
// One object at a time; it puts the former handlers back when it goes.
class TerminationSignals {
public:
    explicit TerminationSignals(std::function<void(int signal)> onTermination);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // The last termination signal that came, or 0.
    static int received();

private:
    void readSignals();

    std::function<void(int signal)> m_onTermination;
    int m_pipe[2] = {-1, -1};
    std::array<struct sigaction, 3> m_formerActions{};
    std::array<bool, 3> m_handled{};
    std::unique_ptr<QSocketNotifier> m_notifier;
};
