#include "engine/bytetext.h"

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
