#include "webgraph/graphindex.h"

#include <QDir>
#include <QFileInfo>

#include <nlohmann/json.hpp>

using namespace Qt::StringLiterals;

namespace graphindex {

namespace {

// An id becomes part of file names and paths: letters, digits, "-", "_" and "." only, and not "." or "..".
bool isSafeId(const QString& id)
{
    if (id.isEmpty() || id == u"."_s || id == u".."_s || id.size() > 200)
        return false;
    for (const QChar c : id) {
        const char16_t u = c.unicode();
        const bool safe = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') ||
                          u == u'-' || u == u'_' || u == u'.';
        if (!safe)
            return false;
    }
    return true;
}

qint64 countOf(const nlohmann::json& stats, const char* member)
{
    if (!stats.is_object())
        return 0;
    const auto domain = stats.find("domain");
    if (domain == stats.end() || !domain->is_object())
        return 0;
    const auto value = domain->find(member);
    return value != domain->end() && value->is_number_integer() ? value->get<qint64>() : 0;
}

} // namespace

std::optional<QList<GraphRelease>> parse(const QByteArray& json, QString& error)
{
    const nlohmann::json index = nlohmann::json::parse(json.begin(), json.end(), nullptr, false);
    if (index.is_discarded() || !index.is_array()) {
        error = index.is_discarded() ? u"the release index is not JSON"_s
                                     : u"the release index is not a list of releases"_s;
        return std::nullopt;
    }
    QList<GraphRelease> releases;
    for (const nlohmann::json& entry : index) {
        if (!entry.is_object())
            continue;
        const auto id = entry.find("id");
        if (id == entry.end() || !id->is_string())
            continue;
        GraphRelease release;
        release.id = QString::fromStdString(id->get<std::string>());
        if (!isSafeId(release.id))
            continue;
        if (const auto crawls = entry.find("crawls"); crawls != entry.end() && crawls->is_array()) {
            for (const nlohmann::json& crawl : *crawls) {
                if (crawl.is_string())
                    release.crawls.append(QString::fromStdString(crawl.get<std::string>()));
            }
        }
        if (const auto stats = entry.find("stats"); stats != entry.end()) {
            release.domains = countOf(*stats, "nodes");
            release.links = countOf(*stats, "arcs");
        }
        releases.append(release);
    }
    return releases;
}

QUrl fileUrl(const QUrl& base, const QString& releaseId, GraphFile file)
{
    static constexpr const char16_t* suffixes[] = {u"ranks", u"vertices", u"edges"};
    QString path = base.path();
    if (!path.endsWith(u'/'))
        path += u'/';
    path += u"projects/hyperlinkgraph/%1/domain/%1-domain-%2.txt.gz"_s.arg(
        releaseId, QString::fromUtf16(suffixes[static_cast<int>(file)]));
    QUrl url = base;
    url.setPath(path);
    return url;
}

QList<GraphRelease> releasesInFolder(const QUrl& folder)
{
    QList<GraphRelease> releases;
    const QDir projects(folder.toLocalFile() + u"/projects/hyperlinkgraph"_s);
    for (const QString& id : projects.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (isSafeId(id) && QFileInfo(projects.filePath(id + u"/domain"_s)).isDir())
            releases.append({id, {}, 0, 0});
    }
    return releases;
}

} // namespace graphindex
