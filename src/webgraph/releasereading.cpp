#include "webgraph/releasereading.h"

#include "webgraph/graphname.h"
#include "webgraph/gziplines.h"
#include "webgraph/releasescan.h"

#include <QHash>

using namespace Qt::StringLiterals;

namespace {

// An index larger than this is not the release index.
constexpr qsizetype MaxIndexSize = 16 * 1024 * 1024;

} // namespace

ReleaseReading::ReleaseReading(GraphDownload& download, const GraphNames& names)
    : m_download(download)
    , m_names(names)
{
}

std::optional<QList<GraphRelease>> ReleaseReading::releases(const QUrl& index, const GraphDownload::StopRequested& stop)
{
    m_error.clear();
    m_cancelled = false;
    QByteArray json;
    const auto outcome = m_download.read(
        index,
        [&json](QByteArrayView piece) {
            json.append(piece);
            return json.size() <= MaxIndexSize;
        },
        {}, stop);
    switch (outcome) {
    case GraphDownload::Outcome::Complete:
        break;
    case GraphDownload::Outcome::Stopped:
        m_error = u"the release index %1 is larger than a release index can be"_s.arg(index.toDisplayString());
        return std::nullopt;
    case GraphDownload::Outcome::Cancelled:
        m_cancelled = true;
        return std::nullopt;
    case GraphDownload::Outcome::Failed:
        m_error = m_download.error();
        return std::nullopt;
    }
    return graphindex::parse(json, m_error);
}

bool ReleaseReading::readFile(const QUrl& url, graphindex::GraphFile file, const LineReader& readLine,
                              const ProgressHandler& progress, const GraphDownload::StopRequested& stop)
{
    qint64 lineNumber = 0;
    bool badLine = false;
    GzipLines lines([&](QByteArrayView line) {
        ++lineNumber;
        if (readLine(line))
            return true;
        badLine = true;
        return false;
    });
    const auto outcome = m_download.read(
        url, [&lines](QByteArrayView piece) { return lines.feed(piece); },
        [&](qint64 done, qint64 size) {
            if (progress)
                progress({file, done, size});
        },
        stop);
    const QString name = url.toDisplayString();
    if (outcome == GraphDownload::Outcome::Cancelled) {
        m_cancelled = true;
        return false;
    }
    if (outcome == GraphDownload::Outcome::Failed) {
        m_error = m_download.error();
        return false;
    }
    if (outcome == GraphDownload::Outcome::Complete && lines.finish())
        return true;
    if (badLine)
        m_error = u"line %1 of %2 is not a line of the web graph's files"_s.arg(lineNumber).arg(name);
    else
        m_error = u"%1 is damaged: %2"_s.arg(name, QString::fromUtf8(lines.error()));
    return false;
}

std::optional<ReleaseReading::ListedFigures> ReleaseReading::read(GraphRelease& release, const QUrl& data,
                                                                  const QList<QByteArray>& listed, bool linkingDomains,
                                                                  const ProgressHandler& progress,
                                                                  const GraphDownload::StopRequested& stop)
{
    using graphindex::GraphFile;
    m_error.clear();
    m_cancelled = false;
    // Listed domains that share a registered domain share its figures.
    QList<QByteArray> names;
    QHash<QByteArray, qsizetype> nameIndex;
    QList<qsizetype> listedName; // the index in names of each listed domain's registered domain; -1 for none
    for (const QByteArray& domain : listed) {
        const std::optional<QByteArray> name = m_names.registeredDomain(domain);
        if (!name) {
            listedName.append(-1);
            continue;
        }
        const auto it = nameIndex.constFind(*name);
        if (it != nameIndex.cend()) {
            listedName.append(*it);
        } else {
            nameIndex.insert(*name, names.size());
            listedName.append(names.size());
            names.append(*name);
        }
    }

    ReleaseScan scan(names);
    const auto url = [&](GraphFile file) { return graphindex::fileUrl(data, release.id, file); };
    if (!readFile(
            url(GraphFile::Ranks), GraphFile::Ranks, [&scan](QByteArrayView line) { return scan.rankLine(line); },
            progress, stop))
        return std::nullopt;
    if (linkingDomains) {
        if (!readFile(
                url(GraphFile::Vertices), GraphFile::Vertices,
                [&scan](QByteArrayView line) { return scan.vertexLine(line); }, progress, stop))
            return std::nullopt;
        scan.beginEdges();
        if (!readFile(
                url(GraphFile::Edges), GraphFile::Edges, [&scan](QByteArrayView line) { return scan.edgeLine(line); },
                progress, stop))
            return std::nullopt;
        scan.countLinkingDomains();
    }
    if (release.domains == 0)
        release.domains = scan.rankedDomains();

    const QDateTime now = QDateTime::currentDateTimeUtc();
    ListedFigures figures;
    figures.reserve(listed.size());
    for (qsizetype i = 0; i < listed.size(); ++i) {
        GraphFigures domainFigures = listedName[i] >= 0 ? scan.figures(listedName[i]) : GraphFigures{};
        domainFigures.readAt = now;
        figures.append({listed[i], domainFigures});
    }
    return figures;
}
