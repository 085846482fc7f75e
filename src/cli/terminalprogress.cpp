#include "cli/terminalprogress.h"

#include <algorithm>

#include <unistd.h>

namespace {

constexpr int barWidth = 30;

} // namespace

TerminalProgress::TerminalProgress(std::FILE* stream)
    : m_stream(stream)
    , m_isTerminal(::isatty(::fileno(stream)) == 1)
{
}

void TerminalProgress::showProgress(const QString& text)
{
    if (!m_isTerminal)
        return;
    // The text ends with the percentage: "12 of 15  : 80%".
    const QStringView lastWord = QStringView(text).sliced(text.lastIndexOf(u' ') + 1);
    const int percent = std::clamp(lastWord.chopped(lastWord.endsWith(u'%') ? 1 : 0).toInt(), 0, 100);
    const int filled = percent * barWidth / 100;
    const QByteArray line =
        "\r[" + QByteArray(filled, '#') + QByteArray(barWidth - filled, '.') + "] " + text.toUtf8() + "\x1b[K";
    std::fwrite(line.constData(), 1, std::size_t(line.size()), m_stream);
    std::fflush(m_stream);
    m_shown = true;
}

void TerminalProgress::leaveRunningState()
{
    if (m_shown)
        std::fputc('\n', m_stream);
    m_shown = false;
}
