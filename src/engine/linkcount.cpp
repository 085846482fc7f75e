#include "engine/linkcount.h"

#include "engine/bytetext.h"
#include "engine/counttext.h"
#include "engine/enginecatalogue.h"

#include <algorithm>

std::optional<qint64> FindLinkCount(QByteArrayView page, QStringView engineName)
{
    const auto& engines = engineDefinitions();
    const auto engine =
        std::find_if(engines.begin(), engines.end(), [&](const EngineDefinition& e) { return e.name == engineName; });
    if (engine == engines.end())
        return std::nullopt;
    const ExtractionRule& rule = engine->rule;

    qsizetype anchorAt = 0;
    if (!rule.anchor.isEmpty()) {
        anchorAt = indexOfIgnoringCase(page, rule.anchor);
        if (anchorAt < 0)
            return std::nullopt;
    }
    const qsizetype startAt = indexOfIgnoringCase(page, rule.startMarker, anchorAt);
    if (startAt < 0)
        return std::nullopt;
    const qsizetype endAt = indexOfIgnoringCase(page, rule.endMarker, startAt);
    if (endAt < 0)
        return std::nullopt;

    const qsizetype countAt = startAt + rule.startMarker.size();
    // The end marker may overlap the start marker; then there is no count text at all.
    return CountText::parsePageCount(trimSpaces(page.sliced(countAt, std::max<qsizetype>(endAt - countAt, 0))));
}

qint64 ExtractLinkCount(QByteArrayView page, QStringView engineName)
{
    return FindLinkCount(page, engineName).value_or(0);
}
