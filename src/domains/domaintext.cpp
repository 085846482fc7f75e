#include "domains/domaintext.h"

#include "engine/bytetext.h"

#include <algorithm>
#include <optional>

namespace {

constexpr QByteArrayView httpScheme = "http://";

// Up to length bytes starting at index from, clamped to the text.
QByteArray midClamped(QByteArrayView text, qsizetype from, qsizetype length)
{
    from = std::clamp<qsizetype>(from, 0, text.size());
    length = std::clamp<qsizetype>(length, 0, text.size() - from);
    return text.sliced(from, length).toByteArray();
}

} // namespace

bool holdsUnstorableByte(QByteArrayView text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return c == '|' || byte < 32 || byte == 127;
    });
}

QByteArray typedDomainText(const QString& typed)
{
    return trimSpaces(bytesFromText(typed.toLower())).toByteArray();
}

namespace {

// The host of an address that begins with "http://" or "https://" in any letter case, without a user name,
// password or port; nothing for a text without such a scheme.
std::optional<QByteArray> hostOfAddress(QByteArrayView text)
{
    const QByteArrayView trimmed = trimSpaces(text);
    qsizetype schemeEnd = 0;
    for (const QByteArrayView scheme : {QByteArrayView("http://"), QByteArrayView("https://")}) {
        if (startsWithIgnoringCase(trimmed, scheme))
            schemeEnd = scheme.size();
    }
    if (schemeEnd == 0)
        return std::nullopt;
    QByteArrayView authority = trimmed.sliced(schemeEnd);
    const auto end = std::find_if(authority.begin(), authority.end(),
                                  [](char c) { return c == '/' || c == '?' || c == '#' || c == '\r' || c == '\n'; });
    authority = authority.first(end - authority.begin());
    if (const qsizetype at = authority.lastIndexOf('@'); at >= 0)
        authority = authority.sliced(at + 1);
    if (const qsizetype colon = authority.lastIndexOf(':'); colon >= 0)
        authority = authority.first(colon);
    return trimSpaces(authority).toByteArray();
}

} // namespace

NormalisedDomain NormaliseDomain(QByteArrayView text)
{
    if (text.isEmpty())
        return {AddDomainResult::AddEmpty, {}};

    QByteArray domain = text.toByteArray();
    if (const std::optional<QByteArray> host = hostOfAddress(text)) {
        domain = *host;
    } else if (domain.contains('/')) {
        domain = SplitUrl(httpScheme.toByteArray() + domain);
    }
    if (!domain.contains('.') || holdsUnstorableByte(domain))
        return {AddDomainResult::AddNotADomain, {}};
    return {AddDomainResult::AddOk, domain};
}

QByteArray SplitUrl(QByteArrayView address)
{
    const QByteArray head = SplitAtLastSlash(NormaliseUrl(trimSpaces(address))).head;
    const qsizetype length = head.size();

    // The host ends at the first "/" after the last dot that stands before any "?".
    const qsizetype query = head.indexOf('?');
    const qsizetype searchEnd = query >= 0 ? query : length - 1;
    const qsizetype lastDot = searchEnd >= 0 ? head.lastIndexOf('.', searchEnd) : -1;
    if (lastDot < 0)
        return {};
    qsizetype hostEnd = head.indexOf('/', lastDot);
    if (hostEnd < 0)
        hostEnd = length;
    const qsizetype hostStart = head.indexOf("//") + 2;
    return midClamped(head, hostStart, hostEnd - hostStart);
}

QByteArray NormaliseUrl(QByteArrayView address)
{
    QByteArray url = address.toByteArray();
    if (url.endsWith("\r\n"))
        url.chop(2);
    if (url.endsWith('\r'))
        url.chop(1);
    if (url.endsWith('\n'))
        url.chop(1);
    if (startsWithIgnoringCase(url, httpScheme) && url.indexOf('/', httpScheme.size()) < 0)
        url.append('/');
    return trimSpaces(url).toByteArray();
}

SplitText SplitAtLastSlash(QByteArrayView text)
{
    const QByteArrayView trimmed = trimSpaces(text);
    const auto separator = std::find_if(trimmed.rbegin(), trimmed.rend(), [](char c) { return c == '/' || c == '\\'; });
    if (separator == trimmed.rend())
        return {{}, trimmed.toByteArray()};
    const qsizetype at = trimmed.rend() - separator - 1;
    return {trimSpaces(trimmed.first(at)).toByteArray(), trimSpaces(trimmed.sliced(at + 1)).toByteArray()};
}
