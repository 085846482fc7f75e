#include "cli/terminalruncontrols.h"

#include "cli/console.h"
#include "engine/bytetext.h"
#include "engine/enginecatalogue.h"

#include <algorithm>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int barWidth = 30;

// A domain from a list edited by hand may hold control bytes; on a terminal they would act, not show.
QString printable(const QByteArray& domain)
{
    QByteArray bytes = domain;
    std::replace_if(
        bytes.begin(), bytes.end(), [](char c) { return (c >= 0 && c < ' ') || c == 127; }, '?');
    return textFromBytes(bytes);
}

} // namespace

TerminalRunControls::TerminalRunControls(const Console& console, const EngineTables& engines)
    : m_console(console)
    , m_engines(engines)
    , m_stream(console.err())
    , m_isTerminal(::isatty(::fileno(m_stream)) == 1)
{
}

void TerminalRunControls::showProgress(qint64 step, qint64 steps)
{
    if (!m_isTerminal)
        return;
    const auto filled = int(std::clamp<qint64>(steps > 0 ? step * barWidth / steps : 0, 0, barWidth));
    const QByteArray line = "\r[" + QByteArray(filled, '#') + QByteArray(barWidth - filled, '.') + "] " +
                            UpdateRun::progressText(step, steps).toUtf8() + "\x1b[K";
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
        std::fputs("\r\x1b[K", m_stream);
        m_shown = false;
    }
    m_console.error(u"%1, %2: not updated (%3); keeps %4"_s.arg(printable(report.domain),
                                                                m_engines.engine(report.engine).name,
                                                                failureReason(report.failure), report.keptCount));
}

void TerminalRunControls::leaveRunningState()
{
    if (m_shown)
        std::fputc('\n', m_stream);
    m_shown = false;
}
