#include "cli/webgraphprogress.h"

using namespace Qt::StringLiterals;

WebGraphProgress::WebGraphProgress(std::FILE* terminal)
    : m_terminal(terminal)
{
}

WebGraphProgress::~WebGraphProgress()
{
    finish();
}

void WebGraphProgress::show(const ReleaseReading::Progress& progress)
{
    if (int(progress.file) != m_file) {
        finish();
        m_file = int(progress.file);
        m_sinceFileBegan.start();
    } else if (m_sinceShown.isValid() && m_sinceShown.elapsed() < 200 && progress.done != progress.size) {
        return;
    }
    m_sinceShown.start();
    // Rewritten in place after "\r", padded over what a longer line left: no escape sequence, so that any
    // terminal shows it.
    const QString text = progressText(progress, m_sinceFileBegan.elapsed());
    const QByteArray line = "\r" + text.leftJustified(m_shownLength).toUtf8();
    m_shownLength = text.size();
    std::fwrite(line.constData(), 1, std::size_t(line.size()), m_terminal);
    std::fflush(m_terminal);
    m_lineOpen = true;
}

void WebGraphProgress::finish()
{
    if (m_lineOpen)
        std::fputc('\n', m_terminal);
    m_lineOpen = false;
    m_shownLength = 0;
}
