#include "cli/terminaltext.h"

#include <algorithm>
#include <array>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

bool isBidirectionalControl(char32_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// The ranges of East Asian wide and full-width characters, and of the emoji a terminal draws two cells wide.
constexpr std::array<std::pair<char32_t, char32_t>, 17> wideRanges{{
    {0x1100, 0x115F},
    {0x2E80, 0x303E},
    {0x3041, 0x33FF},
    {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},
    {0xA000, 0xA4CF},
    {0xA960, 0xA97F},
    {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF},
    {0xFE30, 0xFE4F},
    {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6},
    {0x1F300, 0x1F64F},
    {0x1F900, 0x1F9FF},
    {0x20000, 0x2FFFD},
    {0x30000, 0x3FFFD},
    {0x1F680, 0x1F6FF},
}};

int cellsOf(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    if (category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing || category == QChar::Other_Format)
        return 0;
    const bool wide = std::any_of(wideRanges.begin(), wideRanges.end(),
                                  [c](const auto& range) { return c >= range.first && c <= range.second; });
    return wide ? 2 : 1;
}

} // namespace

QString printableText(QStringView text)
{
    QString printable;
    printable.reserve(text.size());
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar unit = text[at];
        // A byte that was not valid UTF-8 is carried as U+DC80 to U+DCFF (see textFromBytes).
        if (unit.unicode() >= 0xDC80 && unit.unicode() <= 0xDCFF && !(at > 0 && text[at - 1].isHighSurrogate())) {
            printable += u"\\x%1"_s.arg(unit.unicode() - 0xDC00, 2, 16, QLatin1Char('0'));
            continue;
        }
        const char32_t c = unit.unicode();
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
            printable += u"\\x%1"_s.arg(uint(c), 2, 16, QLatin1Char('0'));
        else if (isBidirectionalControl(c))
            printable += u"\\u%1"_s.arg(uint(c), 4, 16, QLatin1Char('0'));
        else
            printable += unit;
    }
    return printable;
}

int displayWidth(QStringView text)
{
    int cells = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        char32_t c = text[at].unicode();
        if (text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[at], text[at + 1]);
            ++at;
        }
        cells += cellsOf(c);
    }
    return cells;
}

QString padded(const QString& text, int width, bool alignRight)
{
    const QString spaces(std::max(width - displayWidth(text), 0), u' ');
    return alignRight ? spaces + text : text + spaces;
}
