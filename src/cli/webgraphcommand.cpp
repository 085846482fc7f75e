#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/invocation.h"
#include "cli/listeddomain.h"
#include "cli/rowoutput.h"
#include "cli/terminaltext.h"
#include "cli/webgraphprogress.h"
#include "webgraph/graphname.h"
#include "webgraph/releasereading.h"
#include "workflows/listsession.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QNetworkAccessManager>

using namespace Qt::StringLiterals;

namespace {

// A URL as --webgraph-index and --webgraph-data take it: http(s), file:, or a local path.
QUrl urlOption(const QCommandLineParser& parser, const QString& option, const char* fallback)
{
    if (!parser.isSet(option))
        return QUrl(QString::fromLatin1(fallback));
    const QString value = parser.value(option);
    const QUrl url(value);
    if (url.scheme().size() > 1)
        return url;
    return QUrl::fromLocalFile(QFileInfo(value).absoluteFilePath());
}

GraphDownload::Settings downloadSettings()
{
    GraphDownload::Settings settings;
    settings.userAgent = "Brenlow/" + QCoreApplication::applicationVersion().toLatin1();
    return settings;
}

int listReleases(ListSession& session, Invocation& invocation, ReleaseReading& reading, const QUrl& index)
{
    const std::optional<RowFormat> format = rowFormat(invocation);
    if (!format)
        return ExitStatus::Usage;
    const auto releases = reading.releases(index, [&invocation] { return invocation.stopRequested(); });
    if (!releases) {
        if (reading.cancelled())
            return ExitStatus::SignalBase + invocation.signalReceived();
        invocation.console.error(reading.error());
        return ExitStatus::FetchFailed;
    }
    QStringList read;
    HistoryStore store(session.domains().filePath());
    if (store.open(HistoryStore::Mode::Read)) {
        for (const GraphRelease& release : store.graphReleases())
            read.append(release.id);
    }
    const Console& console = invocation.console;
    const bool header = !invocation.parser.isSet(u"no-header"_s);
    if (*format == RowFormat::Json) {
        nlohmann::json list = nlohmann::json::array();
        for (const GraphRelease& release : *releases) {
            nlohmann::json crawls = nlohmann::json::array();
            for (const QString& crawl : release.crawls)
                crawls.push_back(crawl.toStdString());
            list.push_back({{"release", release.id.toStdString()},
                            {"crawls", crawls},
                            {"domains", release.domains > 0 ? nlohmann::json(release.domains) : nlohmann::json()},
                            {"read", read.contains(release.id)}});
        }
        console.print(compactJson(list) + '\n');
        return ExitStatus::Ok;
    }
    const auto fields = [&](const GraphRelease& release) {
        return QStringList{release.id, release.crawls.join(u' '),
                           release.domains > 0 ? QString::number(release.domains) : QString(),
                           read.contains(release.id) ? u"yes"_s : u"no"_s};
    };
    const QStringList titles = *format == RowFormat::Table
                                   ? QStringList{u"Release"_s, u"Crawls"_s, u"Domains"_s, u"Read"_s}
                                   : QStringList{u"release"_s, u"crawls"_s, u"domains"_s, u"read"_s};
    if (*format == RowFormat::Table) {
        TableColumns table({false, false, true, false});
        if (header)
            table.measure(titles);
        for (const GraphRelease& release : *releases)
            table.measure(fields(release));
        if (header)
            console.print(table.line(titles));
        for (const GraphRelease& release : *releases)
            console.print(table.line(fields(release)));
        return ExitStatus::Ok;
    }
    const auto bytes = [](const QStringList& texts) {
        QList<QByteArray> out;
        for (const QString& text : texts)
            out.append(text.toUtf8());
        return out;
    };
    if (header)
        console.print(separatedLine(bytes(titles), *format));
    for (const GraphRelease& release : *releases)
        console.print(separatedLine(bytes(fields(release)), *format));
    return ExitStatus::Ok;
}

// The release asked for (--release) or the newest, with what the index says of it; nothing after a message.
std::optional<GraphRelease> chooseRelease(Invocation& invocation, ReleaseReading& reading, const QUrl& index,
                                          const QUrl& data, int& status)
{
    const QCommandLineParser& parser = invocation.parser;
    const QString wanted = parser.value(u"release"_s);
    std::optional<QList<GraphRelease>> releases;
    // A folder of releases the user downloaded needs no index, unless one is named.
    if (data.isLocalFile() && !parser.isSet(u"webgraph-index"_s))
        releases = graphindex::releasesInFolder(data);
    else
        releases = reading.releases(index, [&invocation] { return invocation.stopRequested(); });
    if (!releases) {
        status = reading.cancelled() ? ExitStatus::SignalBase + invocation.signalReceived() : ExitStatus::FetchFailed;
        if (!reading.cancelled())
            invocation.console.error(reading.error());
        return std::nullopt;
    }
    if (wanted.isEmpty()) {
        if (data.isLocalFile() && !parser.isSet(u"webgraph-index"_s) && releases->size() != 1) {
            invocation.console.error(
                releases->isEmpty()
                    ? u"%1 holds no release of the web graph (projects/hyperlinkgraph/ID/domain)"_s.arg(
                          data.toLocalFile())
                    : u"%1 holds more than one release: name one with --release"_s.arg(data.toLocalFile()));
            status = ExitStatus::Usage;
            return std::nullopt;
        }
        if (releases->isEmpty()) {
            invocation.console.error(u"the release index lists no release"_s);
            status = ExitStatus::FetchFailed;
            return std::nullopt;
        }
        return releases->first();
    }
    for (const GraphRelease& release : std::as_const(*releases)) {
        if (release.id == wanted)
            return release;
    }
    invocation.console.error(
        u"there is no release %1; brenlow-cli webgraph releases lists them"_s.arg(printableText(wanted)));
    status = ExitStatus::Usage;
    return std::nullopt;
}

int updateFromRelease(ListSession& session, Invocation& invocation, ReleaseReading& reading, const QUrl& index,
                      const QUrl& data, const QStringList& named)
{
    // Every domain named must be in the list before a single byte is read.
    const std::optional<QList<int>> rows =
        named.isEmpty() ? QList<int>() : ListedDomains(session).rowsNamed(named, invocation.console);
    if (!rows)
        return ExitStatus::Usage;
    QList<QByteArray> listed;
    if (named.isEmpty())
        listed = session.domains().distinctDomains();
    for (const int row : *rows) {
        const QByteArray domain = session.domains().domain(row).toByteArray();
        if (!listed.contains(domain))
            listed.append(domain);
    }

    if (listed.isEmpty()) {
        invocation.console.error(u"the list holds no domain; nothing was read"_s);
        return ExitStatus::Ok;
    }

    int status = ExitStatus::Ok;
    std::optional<GraphRelease> release = chooseRelease(invocation, reading, index, data, status);
    if (!release)
        return status;
    const bool linking = invocation.parser.isSet(u"linking-domains"_s);
    HistoryStore& history = session.history();
    const QList<QByteArray> unread = history.domainsWithoutGraphFigures(release->id, listed, linking);
    if (history.problem() != HistoryProblem::None) {
        invocation.console.error(history.problemText());
        return ExitStatus::ListUnusable;
    }
    if (unread.isEmpty()) {
        if (invocation.watched)
            invocation.console.error(
                u"%1 was read for every domain already; nothing was downloaded"_s.arg(release->id));
        return ExitStatus::Ok;
    }

    std::optional<WebGraphProgress> progress;
    if (invocation.watched)
        progress.emplace(invocation.console.err());
    const auto figures = reading.read(
        *release, data, unread, linking,
        [&progress](const ReleaseReading::Progress& step) {
            if (progress)
                progress->show(step);
        },
        [&invocation] { return invocation.stopRequested(); });
    progress.reset();
    if (!figures) {
        if (reading.cancelled())
            return ExitStatus::SignalBase + invocation.signalReceived();
        invocation.console.error(reading.error() + u"; nothing of %1 was stored"_s.arg(release->id));
        return ExitStatus::FetchFailed;
    }
    if (!history.recordGraphRelease(*release, *figures)) {
        invocation.console.error(history.problemText());
        return ExitStatus::ListUnusable;
    }
    if (invocation.watched) {
        const auto found =
            std::count_if(figures->begin(), figures->end(), [](const auto& each) { return each.second.found; });
        invocation.console.error(
            u"%1: %2 of %3 domains are in the web graph"_s.arg(release->id).arg(found).arg(figures->size()));
    }
    return ExitStatus::Ok;
}

} // namespace

QList<HelpItem> WebGraphCommand::details() const
{
    return {{u"releases"_s, u"list the releases of the web graph, newest first"_s},
            {u"update [DOMAIN...]"_s,
             u"read a release (the newest, or --release) for every domain of the list, or those named, and keep its "
             u"figures in the history; the list does not change"_s}};
}

bool WebGraphCommand::writesList(const QCommandLineParser& parser) const
{
    const QStringList positional = parser.positionalArguments();
    return positional.size() >= 2 && positional[1] == u"update"_s;
}

int WebGraphCommand::execute(ListSession& session, Invocation& invocation, const QStringList& arguments)
{
    const QString action = arguments.value(0);
    const QCommandLineParser& parser = invocation.parser;
    const bool updating = action == u"update"_s;
    if (!updating && action != u"releases"_s) {
        invocation.console.error(u"webgraph takes releases or update, not %1"_s.arg(printableText(action)));
        return ExitStatus::Usage;
    }
    for (const QString& option : {u"release"_s, u"linking-domains"_s}) {
        if (!updating && parser.isSet(option)) {
            invocation.console.error(u"--%1 is an option of webgraph update"_s.arg(option));
            return ExitStatus::Usage;
        }
    }
    for (const QString& option : {u"format"_s, u"no-header"_s}) {
        if (updating && parser.isSet(option)) {
            invocation.console.error(u"--%1 is an option of webgraph releases"_s.arg(option));
            return ExitStatus::Usage;
        }
    }
    if (!updating && arguments.size() > 1) {
        invocation.console.error(u"webgraph releases takes no domain"_s);
        return ExitStatus::Usage;
    }
    const QUrl index = urlOption(parser, u"webgraph-index"_s, graphindex::DefaultIndex);
    const QUrl data = urlOption(parser, u"webgraph-data"_s, graphindex::DefaultData);
    QNetworkAccessManager network;
    GraphDownload download(network, downloadSettings());
    GraphNames names;
    ReleaseReading reading(download, names);
    if (!updating)
        return listReleases(session, invocation, reading, index);
    return updateFromRelease(session, invocation, reading, index, data, arguments.sliced(1));
}
