#pragma once

#include "engine/enginecatalogue.h"
#include "sources/countsource.h"

class HttpFetcher;

// A web search engine as a source: its link query for the domain, one HTTP/1.0 request, and the count its result
// page states.
class EngineSource final : public CountSource {
public:
    EngineSource(EngineEntry engine, HttpFetcher& fetcher);

    QString name() const override { return m_engine.name; }
    SourceOutcome fetchCount(QByteArrayView domain) override;

private:
    EngineEntry m_engine;
    HttpFetcher& m_fetcher;
};
