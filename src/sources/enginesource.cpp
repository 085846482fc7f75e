#include "sources/enginesource.h"

#include "engine/linkcount.h"
#include "net/httpfetcher.h"

EngineSource::EngineSource(EngineEntry engine, HttpFetcher& fetcher)
    : m_engine(std::move(engine))
    , m_fetcher(fetcher)
{
}

SourceOutcome EngineSource::fetchCount(QByteArrayView domain)
{
    const HttpResult result = m_fetcher.HttpRequest(m_engine.host, linkQueryPath(m_engine, domain));
    SourceOutcome outcome{std::nullopt, result.failure};
    if (result.succeeded) {
        outcome.count = FindLinkCount(result.response, m_engine.name);
        if (!outcome.count)
            outcome.failure.kind = FetchFailure::NoCount;
    }
    return outcome;
}
