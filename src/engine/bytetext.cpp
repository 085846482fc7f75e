#include "engine/bytetext.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr unsigned char foldCase(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

bool equalIgnoringCase(const char* a, const char* b, qsizetype length)
{
    for (qsizetype i = 0; i < length; ++i) {
        if (foldCase(static_cast<unsigned char>(a[i])) != foldCase(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

} // namespace

qsizetype indexOfIgnoringCase(QByteArrayView haystack, QByteArrayView needle, qsizetype from)
{
    if (from < 0)
        from = 0;
    if (needle.isEmpty())
        return from <= haystack.size() ? from : -1;
    if (haystack.size() - from < needle.size())
        return -1;

    const char* const data = haystack.data();
    const qsizetype last = haystack.size() - needle.size();
    const int lower = foldCase(static_cast<unsigned char>(needle[0]));
    const bool isLetter = lower >= 'a' && lower <= 'z';
    const int upper = lower - ('a' - 'A');

    // Candidates for the first byte come from memchr, once for each letter case; the rest is compared by hand.
    const auto find = [&](int byte, qsizetype start) -> qsizetype {
        if (start > last)
            return -1;
        const void* hit = std::memchr(data + start, byte, static_cast<std::size_t>(last - start + 1));
        return hit ? static_cast<const char*>(hit) - data : -1;
    };
    qsizetype nextLower = find(lower, from);
    qsizetype nextUpper = isLetter ? find(upper, from) : -1;
    while (nextLower >= 0 || nextUpper >= 0) {
        const bool takeLower = nextUpper < 0 || (nextLower >= 0 && nextLower < nextUpper);
        const qsizetype pos = takeLower ? nextLower : nextUpper;
        if (equalIgnoringCase(data + pos + 1, needle.data() + 1, needle.size() - 1))
            return pos;
        if (takeLower)
            nextLower = find(lower, pos + 1);
        else
            nextUpper = find(upper, pos + 1);
    }
    return -1;
}

bool startsWithIgnoringCase(QByteArrayView text, QByteArrayView prefix)
{
    return text.size() >= prefix.size() && equalIgnoringCase(text.data(), prefix.data(), prefix.size());
}

QByteArrayView trimSpaces(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == ' ')
        ++begin;
    while (end > begin && text[end - 1] == ' ')
        --end;
    return text.sliced(begin, end - begin);
}

namespace {

constexpr char16_t escapeBase = 0xDC00;

// The length of the valid UTF-8 sequence that starts at bytes[at] and its code point; 0 when there is none
// (a stray continuation byte, a cut-off, overlong or surrogate sequence, or a code point beyond U+10FFFF).
int utf8Sequence(QByteArrayView bytes, qsizetype at, char32_t& codePoint)
{
    const auto lead = static_cast<unsigned char>(bytes[at]);
    int length = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() - at < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[at + i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

QString textFromBytes(QByteArrayView bytes)
{
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    QString text;
    text.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte < 0x80) {
            text += QLatin1Char(char(byte));
            ++at;
            continue;
        }
        char32_t codePoint = 0;
        if (const int length = utf8Sequence(bytes, at, codePoint); length > 0) {
            text += QStringView(QChar::fromUcs4(codePoint));
            at += length;
        } else {
            text += QChar(char16_t(escapeBase + byte));
            ++at;
        }
    }
    return text;
}

QByteArray bytesFromText(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype start = 0; // of the run of ordinary text not yet converted
    const auto flush = [&](qsizetype end) { bytes += text.sliced(start, end - start).toUtf8(); };
    for (qsizetype at = 0; at < text.size(); ++at) {
        const char16_t unit = text[at].unicode();
        const bool escaped = unit >= escapeBase + 0x80 && unit <= escapeBase + 0xFF;
        if (!escaped)
            continue;
        const bool pairedWithHighSurrogate = at > 0 && text[at - 1].isHighSurrogate();
        if (pairedWithHighSurrogate)
            continue;
        flush(at);
        bytes += char(unit - escapeBase);
        start = at + 1;
    }
    flush(text.size());
    return bytes;
}
