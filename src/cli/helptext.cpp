#include "cli/helptext.h"

#include <QStringList>

#include <algorithm>

#include <sys/ioctl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int standardWidth = 80;
// Narrower than this, no terminal shows the help in a readable way: lines just wrap where they wrap.
constexpr int narrowestWidth = 30;
// A description beside its term keeps at least this many columns; below it, it is indented this far.
constexpr int descriptionRoom = 30;
constexpr int belowIndent = 8;
constexpr qsizetype longestTermBeside = 26;

} // namespace

int helpWidth(std::FILE* out)
{
    const int fd = ::fileno(out);
    winsize size{};
    if (fd < 0 || !::isatty(fd) || ::ioctl(fd, TIOCGWINSZ, &size) != 0 || size.ws_col == 0)
        return standardWidth;
    return std::clamp(int(size.ws_col), narrowestWidth, standardWidth);
}

QString wrappedText(const QString& text, int width, int indent)
{
    const QString margin(indent, u' ');
    QString wrapped;
    QString line = margin;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (line.size() > indent && line.size() + 1 + word.size() > width) {
            wrapped += line + u'\n';
            line = margin;
        }
        line += (line.size() > indent ? u" "_s : QString()) + word;
    }
    return wrapped + line + u'\n';
}

QString helpItemsText(const QList<HelpItem>& items, int width)
{
    // A term longer than most stands on a line of its own, so that one long term does not squeeze every
    // description.
    qsizetype termWidth = 0;
    for (const HelpItem& item : items) {
        if (item.term.size() <= longestTermBeside)
            termWidth = std::max(termWidth, item.term.size());
    }
    const int column = int(termWidth) + 4;
    const bool beside = column + descriptionRoom <= width;
    QString text;
    bool afterParagraph = false;
    for (const HelpItem& item : items) {
        if (item.term.isEmpty()) {
            text += (text.isEmpty() ? QString() : u"\n"_s) + wrappedText(item.text, width);
            afterParagraph = true;
            continue;
        }
        if (afterParagraph)
            text += u'\n';
        afterParagraph = false;
        if (!beside) {
            text += wrappedText(item.term, width, 2) + wrappedText(item.text, width, belowIndent);
            continue;
        }
        // The first line of the description goes beside the term, or below it when the term is too long.
        const QString lines = wrappedText(item.text, width, column);
        if (item.term.size() > termWidth)
            text += wrappedText(item.term, width, 2) + lines;
        else
            text += (u"  "_s + item.term).leftJustified(column) + lines.sliced(column);
    }
    return text;
}
