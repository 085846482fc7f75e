#include "sources/sourcecatalogue.h"

#include "engine/enginecatalogue.h"
#include "sources/enginesource.h"

SourceCatalogue::SourceCatalogue(const EngineTables& engines, HttpFetcher& fetcher)
{
    for (const EngineEntry& engine : engines.EngineCatalogue()) {
        m_sources.push_back(std::make_unique<EngineSource>(engine, fetcher));
        m_names.append(engine.name);
    }
}
