#pragma once

#include "sources/countsource.h"

#include <QList>
#include <QString>

#include <memory>
#include <vector>

class EngineTables;
class HttpFetcher;

// The sources of link counts, in the order of the list's columns and fields and of the fetches of an update run:
// the engines of the engine catalogue, each asked through the fetcher.
class SourceCatalogue {
public:
    SourceCatalogue(const EngineTables& engines, HttpFetcher& fetcher);

    int count() const { return int(m_sources.size()); }
    CountSource& source(int index) const { return *m_sources.at(std::size_t(index)); }
    // The sources' names, in order.
    const QList<QString>& names() const { return m_names; }

private:
    std::vector<std::unique_ptr<CountSource>> m_sources;
    QList<QString> m_names;
};
