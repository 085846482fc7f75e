#include "engine/enginecatalogue.h"

#include "engine/bytetext.h"

#include <algorithm>

using namespace Qt::StringLiterals;

void EngineTables::InitGridHeaders()
{
    m_headers = {u"Domain"_s, u"Total"_s,  u"AllTheWeb"_s, u"AltaVista"_s,
                 u"Google"_s, u"HotBot"_s, u"MSN"_s,       QString()};
}

void EngineTables::InitEngineCatalogue()
{
    for (std::size_t i = 0; i < Engines.size(); ++i) {
        const EngineDefinition& engine = Engines[i];
        m_catalogue[i] = {engine.name.toString(), engine.host.toByteArray(), engine.queryTemplate.toByteArray()};
    }
}

QByteArray ExpandTemplate(QByteArrayView queryTemplate, QByteArrayView domain)
{
    static constexpr QByteArrayView placeholder = "%DOMAIN%";
    QByteArray path = queryTemplate.toByteArray();
    // Each pass searches from the start, so a domain that itself holds the placeholder is expanded again.
    for (int pass = 0; pass < 2; ++pass) {
        const qsizetype at = indexOfIgnoringCase(path, placeholder);
        if (at >= 0)
            path.replace(at, placeholder.size(), domain);
    }
    return path;
}

QByteArray linkQueryPath(const EngineEntry& engine, QByteArrayView domain)
{
    // Nearly every domain needs no encoding at all; it goes in as it stands without a copy made to encode it.
    const auto unreserved = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
               c == '_' || c == '~';
    };
    if (std::all_of(domain.begin(), domain.end(), unreserved))
        return ExpandTemplate(engine.queryTemplate, domain);
    return ExpandTemplate(engine.queryTemplate, domain.toByteArray().toPercentEncoding());
}
