#pragma once

#include "values/graphfigures.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>

#include <vector>

// What the lines of a release's files say of a few registered domains. Only their figures are kept, so that the
// memory it takes grows with the domains asked about, never with the files:
// - ranks ("#harmonicc_pos #harmonicc_val #pr_pos #pr_val #host_rev #n_hosts", then a line a domain): each
//   domain's positions, values and hosts;
// - vertices ("id reversed_domain n_hosts"): each domain's id, which exists in this release only;
// - edges ("from_id to_id", no link within a domain, none twice): the domains linking to each.
// A line that does not read as its file's lines do makes the file unusable: the caller is told which.
class ReleaseScan {
public:
    // names: the registered domains ("example.co.uk"), each once.
    explicit ReleaseScan(const QList<QByteArray>& names);

    bool rankLine(QByteArrayView line);
    bool vertexLine(QByteArrayView line);
    // Called once all vertex lines were read, before the first edge line.
    void beginEdges();
    bool edgeLine(QByteArrayView line);

    // The figures of names[i]; linkingDomains is set once the edges were read.
    const GraphFigures& figures(qsizetype i) const { return m_figures[i]; }
    qsizetype size() const { return m_figures.size(); }
    // The domain lines the ranks file held (its header and comments not counted).
    qint64 rankedDomains() const { return m_rankedDomains; }
    void countLinkingDomains(); // the edges were read to the end: the counts are final

private:
    QList<QByteArray> m_reversed; // owns the bytes that m_byReversed's keys view
    QHash<QByteArrayView, qsizetype> m_byReversed;
    QList<GraphFigures> m_figures;
    QHash<qint64, qsizetype> m_byId;  // the vertex ids of the names the release holds
    std::vector<quint64> m_wantedIds; // a bit a vertex id up to the largest wanted: most edges miss it
    std::vector<qint64> m_linking;
    qint64 m_rankedDomains = 0;
};
