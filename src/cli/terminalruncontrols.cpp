#include "cli/terminalruncontrols.h"

#include "cli/console.h"
#include "cli/terminaltext.h"
#include "engine/bytetext.h"
#include "engine/enginecatalogue.h"

#include <algorithm>

#include <sys/ioctl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int widestBar = 30;

// The terminal's width in columns, 80 when it does not say.
int terminalColumns(std::FILE* stream)
{
    winsize size{};
    return ::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
}

} // namespace

QByteArray TerminalRunControls::progressLine(qint64 step, qint64 steps, int columns, bool dumb, int previousLength)
{
    // "[#####.....] 12 of 15  : 80%" in one line less than the terminal is wide, so that it never wraps; the bar
    // gives way first.
    const QString text = UpdateRun::progressText(step, steps);
    const int room = columns - 1 - int(text.size());
    const int barWidth = std::min(widestBar, room - 3);
    QByteArray line;
    if (barWidth >= 5) {
        const auto filled = int(std::clamp<qint64>(steps > 0 ? step * barWidth / steps : 0, 0, barWidth));
        line = '[' + QByteArray(filled, '#') + QByteArray(barWidth - filled, '.') + "] ";
    }
    line += text.toUtf8().first(std::min<qsizetype>(text.size(), std::max(columns - 1, 0)));
    // A dumb terminal knows no "erase to the end of the line": spaces cover what the last line left.
    if (dumb)
        return '\r' + line + QByteArray(std::max(previousLength - int(line.size()), 0), ' ');
    return '\r' + line + "\x1b[K";
}

TerminalRunControls::TerminalRunControls(const Console& console, const EngineTables& engines)
    : m_console(console)
    , m_engines(engines)
    , m_stream(console.err())
    , m_isTerminal(::isatty(::fileno(m_stream)) == 1)
    , m_dumbTerminal(isDumbTerminal(qEnvironmentVariable("TERM")))
{
}

void TerminalRunControls::showProgress(qint64 step, qint64 steps)
{
    if (!m_isTerminal)
        return;
    const QByteArray line = progressLine(step, steps, terminalColumns(m_stream), m_dumbTerminal, m_shownLength);
    m_shownLength = int(line.size()) - 1;
    std::fwrite(line.constData(), 1, std::size_t(line.size()), m_stream);
    std::fflush(m_stream);
    m_shown = true;
}

void TerminalRunControls::fetchEnded(const FetchReport& report)
{
    if (!report.failed())
        return;
    // The line takes the bar's place; the next step draws the bar again below it.
    if (m_shown) {
        const QByteArray blank = m_dumbTerminal ? '\r' + QByteArray(m_shownLength, ' ') + '\r' : "\r\x1b[K";
        std::fwrite(blank.constData(), 1, std::size_t(blank.size()), m_stream);
        m_shown = false;
    }
    m_console.error(u"%1, %2: not updated (%3); keeps %4"_s.arg(printableText(textFromBytes(report.domain)),
                                                                m_engines.engine(report.engine).name,
                                                                failureReason(report.failure), report.keptCount));
}

void TerminalRunControls::leaveRunningState()
{
    if (m_shown)
        std::fputc('\n', m_stream);
    m_shown = false;
}
