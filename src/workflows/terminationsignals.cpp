#include "workflows/terminationsignals.h"

#include <QSocketNotifier>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::array terminationSignals{SIGTERM, SIGINT, SIGHUP};

// The handler can reach nothing but plain values, so the write end of the pipe and the last signal are kept
// outside the object; the pipe is set before the handlers are installed and cleared after they are removed.
volatile sig_atomic_t signalPipe = -1;
volatile sig_atomic_t lastSignal = 0;

void writeSignal(int signal)
{
    const int savedErrno = errno;
    lastSignal = signal;
    const char number = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe, &number, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void(int signal)> onTermination)
    : m_onTermination(std::move(onTermination))
{
    ::signal(SIGXFSZ, SIG_IGN);
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // the default handlers stay: the process still ends, without saving
    signalPipe = m_pipe[1];
    m_notifier = std::make_unique<QSocketNotifier>(m_pipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { readSignals(); });

    struct sigaction action {};
    action.sa_handler = writeSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < terminationSignals.size(); ++i) {
        ::sigaction(terminationSignals[i], nullptr, &m_formerActions[i]);
        m_handled[i] = m_formerActions[i].sa_handler != SIG_IGN;
        if (m_handled[i])
            ::sigaction(terminationSignals[i], &action, nullptr);
    }
}

TerminationSignals::~TerminationSignals()
{
    if (!m_notifier)
        return;
    for (std::size_t i = 0; i < terminationSignals.size(); ++i) {
        if (m_handled[i])
            ::sigaction(terminationSignals[i], &m_formerActions[i], nullptr);
    }
    signalPipe = -1;
    lastSignal = 0;
    m_notifier.reset();
    ::close(m_pipe[0]);
    ::close(m_pipe[1]);
}

int TerminationSignals::received()
{
    return lastSignal;
}

void TerminationSignals::readSignals()
{
    char numbers[16];
    ssize_t count = 0;
    while ((count = ::read(m_pipe[0], numbers, sizeof numbers)) > 0) {
        for (ssize_t i = 0; i < count; ++i)
            m_onTermination(numbers[i]);
    }
}
