#include "engine/linkcount.h"

#include "engine/bytetext.h"
#include "engine/counttext.h"

#include <algorithm>
#include <array>

namespace {

// The count stands between the start and the end marker; the start marker is searched only from the anchor on.
struct ExtractionRule {
    QStringView engineName;
    QByteArrayView anchor; // empty: the start marker is searched from the beginning
    QByteArrayView startMarker;
    QByteArrayView endMarker;
};

constexpr std::array<ExtractionRule, 5> extractionRules{{
    {u"AllTheWeb", "Displaying results <b>", "of <b>", "</b> web pages found"},
    {u"AltaVista", {}, "We found ", "results:</b>"},
    {u"Google", "Results <b>", "of about <b>", "</b>."},
    {u"HotBot", "Showing Results <b>", "</b> of \r\n", " Matches"},
    {u"MSN", ">Results ", "of about ", "containing"},
}};

} // namespace

std::optional<qint64> FindLinkCount(QByteArrayView page, QStringView engineName)
{
    const auto rule = std::find_if(extractionRules.begin(), extractionRules.end(),
                                   [&](const ExtractionRule& r) { return r.engineName == engineName; });
    if (rule == extractionRules.end())
        return std::nullopt;

    qsizetype anchorAt = 0;
    if (!rule->anchor.isEmpty()) {
        anchorAt = indexOfIgnoringCase(page, rule->anchor);
        if (anchorAt < 0)
            return std::nullopt;
    }
    const qsizetype startAt = indexOfIgnoringCase(page, rule->startMarker, anchorAt);
    if (startAt < 0)
        return std::nullopt;
    const qsizetype endAt = indexOfIgnoringCase(page, rule->endMarker, startAt);
    if (endAt < 0)
        return std::nullopt;

    const qsizetype countAt = startAt + rule->startMarker.size();
    // The end marker may overlap the start marker; then there is no count text at all.
    return CountText::parsePageCount(trimSpaces(page.sliced(countAt, std::max<qsizetype>(endAt - countAt, 0))));
}

qint64 ExtractLinkCount(QByteArrayView page, QStringView engineName)
{
    return FindLinkCount(page, engineName).value_or(0);
}
