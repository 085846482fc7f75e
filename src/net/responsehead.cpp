#include "net/responsehead.h"

#include <algorithm>
#include <limits>

namespace {

constexpr qsizetype maxStatusText = 60;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The line that starts at from, without its LF or CR LF; next is where the line after it starts, or -1 when the
// response ends without a line end.
QByteArrayView lineAt(QByteArrayView response, qsizetype from, qsizetype& next)
{
    const qsizetype lf = response.indexOf('\n', from);
    next = lf < 0 ? -1 : lf + 1;
    QByteArrayView line = response.sliced(from, (lf < 0 ? response.size() : lf) - from);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

// "HTTP/1.x NNN reason": the status, whatever its three digits ("000" included), and the reason; nothing for any
// other line.
std::optional<int> readStatusLine(QByteArrayView line, QByteArray& statusText)
{
    constexpr QByteArrayView version = "HTTP/1.";
    if (!line.startsWith(version) || line.size() < version.size() + 5)
        return std::nullopt;
    const QByteArrayView rest = line.sliced(version.size());
    if (!isDigit(rest[0]) || rest[1] != ' ' || !isDigit(rest[2]) || !isDigit(rest[3]) || !isDigit(rest[4]))
        return std::nullopt;
    if (rest.size() > 5 && rest[5] != ' ')
        return std::nullopt;
    // The reason is the server's text and may be shown to the user: control bytes and the like are dropped.
    for (const char c : rest.sliced(std::min<qsizetype>(rest.size(), 6))) {
        if (c >= ' ' && c <= '~' && statusText.size() < maxStatusText)
            statusText.append(c);
    }
    return (rest[2] - '0') * 100 + (rest[3] - '0') * 10 + (rest[4] - '0');
}

bool nameIs(QByteArrayView field, QByteArrayView name)
{
    if (field.size() != name.size())
        return false;
    return std::equal(field.begin(), field.end(), name.begin(), [](char a, char b) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        return lower(a) == lower(b);
    });
}

// The digits of a Content-Length value; a value too large for a length counts as the largest one.
std::optional<qint64> readLength(QByteArrayView value)
{
    while (!value.isEmpty() && isBlank(value.front()))
        value = value.sliced(1);
    while (!value.isEmpty() && isBlank(value.back()))
        value.chop(1);
    if (value.isEmpty() || !std::all_of(value.begin(), value.end(), isDigit))
        return std::nullopt;
    constexpr qint64 largest = std::numeric_limits<qint64>::max();
    qint64 length = 0;
    for (const char c : value)
        length = length > (largest - (c - '0')) / 10 ? largest : length * 10 + (c - '0');
    return length;
}

} // namespace

ResponseHead readResponseHead(QByteArrayView response)
{
    ResponseHead head;
    qsizetype next = 0;
    const std::optional<int> status = readStatusLine(lineAt(response, 0, next), head.statusText);
    if (!status)
        return {};
    head.status = *status;
    head.statusLine = true;
    while (next >= 0 && next < response.size()) {
        const qsizetype at = next;
        const QByteArrayView line = lineAt(response, at, next);
        if (line.isEmpty()) {
            head.bodyLength = next < 0 ? 0 : response.size() - next;
            return head;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && nameIs(line.first(colon), "Content-Length")) {
            // Of several lengths the largest is taken: a body short of any of them is not whole.
            if (const std::optional<qint64> length = readLength(line.sliced(colon + 1)))
                head.contentLength = std::max(head.contentLength.value_or(0), *length);
        }
    }
    return head; // the head never ended: no body came
}
