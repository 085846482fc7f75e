#pragma once

// What the benchmarks share: a domain list's names, a median, and the same requests an update run sends, made
// by HttpRequest alone, as the measure a run is held against.

#include "engine/enginecatalogue.h"
#include "net/busypointer.h"
#include "net/httpfetcher.h"
#include "net/posixsocket.h"
#include "net/sockethost.h"

#include <QByteArray>
#include <QCoreApplication>

#include <algorithm>
#include <vector>

namespace bench {

inline QByteArray domainName(int i)
{
    return "www.site-" + QByteArray::number(i) + ".example.com";
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// An update run's requests for domains 0 to domainCount - 1 through a fetcher of its own, nothing around them.
class BareFetches : private BusyPointer {
public:
    explicit BareFetches(SocketSettings settings)
        : m_host(posixSocketFactory(m_pump, std::move(settings)), m_pump)
        , m_fetcher(m_host, *this, m_pump)
    {
        m_engines.InitGridHeaders();
        m_engines.InitEngineCatalogue();
    }

    // The number that failed.
    int run(int domainCount)
    {
        int failed = 0;
        for (int i = 0; i < domainCount; ++i) {
            for (const EngineEntry& entry : m_engines.EngineCatalogue())
                failed += !m_fetcher.HttpRequest(entry.host, linkQueryPath(entry, domainName(i))).succeeded;
        }
        return failed;
    }

private:
    void setBusy(bool) override {}

    EngineTables m_engines;
    EventPump m_pump = [] { QCoreApplication::processEvents(); };
    SocketHost m_host;
    HttpFetcher m_fetcher;
};

} // namespace bench
