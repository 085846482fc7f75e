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

struct ReleaseReading::Paused::State {
    QString releaseId;
    QUrl data;
    QList<QByteArray> listed;
    bool linkingDomains = false;
    QList<qsizetype> listedName; // the index in the scan's names of each listed domain's registered domain; -1: none
    std::unique_ptr<ReleaseScan> scan;
    graphindex::GraphFile file = graphindex::GraphFile::Ranks;
    qint64 offset = 0;                // the bytes of the file read whole into lines
    std::unique_ptr<GzipLines> lines; // the file's decompressor, once it began
    qint64 lineNumber = 0;
    bool badLine = false;
};

ReleaseReading::Paused::Paused() = default;
ReleaseReading::Paused::~Paused() = default;

QString ReleaseReading::Paused::releaseId() const
{
    return m_state ? m_state->releaseId : QString();
}

ReleaseReading::Progress ReleaseReading::Paused::stoppedAt() const
{
    return m_state ? Progress{m_state->file, m_state->offset, 0} : Progress{};
}

std::unique_ptr<ReleaseReading::Paused::State> ReleaseReading::begin(const QString& releaseId, const QUrl& data,
                                                                     const QList<QByteArray>& listed,
                                                                     bool linkingDomains) const
{
    auto state = std::make_unique<Paused::State>();
    state->releaseId = releaseId;
    state->data = data;
    state->listed = listed;
    state->linkingDomains = linkingDomains;
    // Listed domains that share a registered domain share its figures.
    QList<QByteArray> names;
    QHash<QByteArray, qsizetype> nameIndex;
    for (const QByteArray& domain : listed) {
        const std::optional<QByteArray> name = m_names.registeredDomain(domain);
        if (!name) {
            state->listedName.append(-1);
            continue;
        }
        const auto it = nameIndex.constFind(*name);
        if (it != nameIndex.cend()) {
            state->listedName.append(*it);
        } else {
            nameIndex.insert(*name, names.size());
            state->listedName.append(names.size());
            names.append(*name);
        }
    }
    state->scan = std::make_unique<ReleaseScan>(names);
    return state;
}

bool ReleaseReading::readFile(const QUrl& url, Paused::State& state, const ProgressHandler& progress,
                              const GraphDownload::StopRequested& stop)
{
    using graphindex::GraphFile;
    if (!state.lines) {
        state.lineNumber = 0;
        state.badLine = false;
        state.lines = std::make_unique<GzipLines>([&state, file = state.file](QByteArrayView line) {
            ++state.lineNumber;
            ReleaseScan& scan = *state.scan;
            const bool read = file == GraphFile::Ranks      ? scan.rankLine(line)
                              : file == GraphFile::Vertices ? scan.vertexLine(line)
                                                            : scan.edgeLine(line);
            state.badLine = !read;
            return read;
        });
    }
    const auto outcome = m_download.read(
        url,
        [&state](QByteArrayView piece) {
            if (!state.lines->feed(piece))
                return false;
            state.offset += piece.size();
            return true;
        },
        [&](qint64 done, qint64 size) {
            if (progress)
                progress({state.file, done, size});
        },
        stop, state.offset);
    const QString name = url.toDisplayString();
    if (outcome == GraphDownload::Outcome::Cancelled) {
        m_cancelled = true;
        return false;
    }
    if (outcome == GraphDownload::Outcome::Failed) {
        m_error = m_download.error();
        return false;
    }
    if (outcome == GraphDownload::Outcome::Complete && state.lines->finish())
        return true;
    if (state.badLine)
        m_error = u"line %1 of %2 is not a line of the web graph's files"_s.arg(state.lineNumber).arg(name);
    else
        m_error = u"%1 is damaged: %2"_s.arg(name, QString::fromUtf8(state.lines->error()));
    return false;
}

std::optional<ReleaseReading::ListedFigures>
ReleaseReading::read(GraphRelease& release, const QUrl& data, const QList<QByteArray>& listed, bool linkingDomains,
                     const ProgressHandler& progress, const GraphDownload::StopRequested& stop, Paused* paused)
{
    using graphindex::GraphFile;
    m_error.clear();
    m_cancelled = false;
    std::unique_ptr<Paused::State> state;
    if (paused && paused->m_state && paused->m_state->releaseId == release.id && paused->m_state->data == data &&
        paused->m_state->listed == listed && paused->m_state->linkingDomains == linkingDomains)
        state = std::move(paused->m_state);
    else
        state = begin(release.id, data, listed, linkingDomains);
    if (paused)
        paused->m_state.reset();

    QList<GraphFile> files{GraphFile::Ranks};
    if (linkingDomains)
        files += {GraphFile::Vertices, GraphFile::Edges};
    for (qsizetype i = files.indexOf(state->file); i < files.size(); ++i) {
        state->file = files[i];
        if (!readFile(graphindex::fileUrl(data, release.id, state->file), *state, progress, stop)) {
            if (m_cancelled && paused)
                paused->m_state = std::move(state);
            return std::nullopt;
        }
        state->lines.reset();
        state->offset = 0;
        if (state->file == GraphFile::Vertices)
            state->scan->beginEdges();
    }
    ReleaseScan& scan = *state->scan;
    if (linkingDomains)
        scan.countLinkingDomains();
    if (release.domains == 0)
        release.domains = scan.rankedDomains();

    const QDateTime now = QDateTime::currentDateTimeUtc();
    ListedFigures figures;
    figures.reserve(listed.size());
    for (qsizetype i = 0; i < listed.size(); ++i) {
        GraphFigures domainFigures = state->listedName[i] >= 0 ? scan.figures(state->listedName[i]) : GraphFigures{};
        domainFigures.readAt = now;
        figures.append({listed[i], domainFigures});
    }
    return figures;
}
