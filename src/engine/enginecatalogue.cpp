#include "engine/enginecatalogue.h"

#include "engine/bytetext.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr EngineDefinition engines[]{
    {u"AllTheWeb",
     "www.alltheweb.com",
     "/search?cat=web&lang=any&query=link.all%3A%DOMAIN%",
     {"Displaying results <b>", "of <b>", "</b> web pages found"}},
    {u"AltaVista",
     "www.altavista.com",
     "/sites/search/web?q=link%3A%DOMAIN%+-url%3A%DOMAIN%",
     {{}, "We found ", "results:</b>"}},
    {u"Google", "www.google.com", "/search?as_lq=%DOMAIN%", {"Results <b>", "of about <b>", "</b>."}},
    {u"HotBot",
     "www.hotbot.com",
     "/?query=linkdomain%3A%DOMAIN%+-domain%3A%DOMAIN%",
     {"Showing Results <b>", "</b> of \r\n", " Matches"}},
    {u"MSN",
     "search.msn.com",
     "/results.asp?q=linkdomain%3A%DOMAIN%+-domain%3A%DOMAIN%",
     {">Results ", "of about ", "containing"}},
};

} // namespace

std::span<const EngineDefinition> engineDefinitions()
{
    return engines;
}

void EngineTables::InitGridHeaders()
{
    m_headers = {u"Domain"_s, u"Total"_s};
    for (const EngineDefinition& engine : engines)
        m_headers.append(engine.name.toString());
    m_headers.append(QString());
}

void EngineTables::InitEngineCatalogue()
{
    m_catalogue.clear();
    for (const EngineDefinition& engine : engines)
        m_catalogue.append({engine.name.toString(), engine.host.toByteArray(), engine.queryTemplate.toByteArray()});
}

EngineTables EngineTables::initialised()
{
    EngineTables tables;
    tables.InitGridHeaders();
    tables.InitEngineCatalogue();
    return tables;
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
