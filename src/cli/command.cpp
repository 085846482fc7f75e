#include "cli/command.h"

#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/helptext.h"
#include "cli/invocation.h"
#include "domains/pathkind.h"
#include "domains/streamdevice.h"
#include "workflows/listsession.h"
#include "workflows/terminationsignals.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>

#include <unistd.h>

using namespace Qt::StringLiterals;

Commands makeCommands()
{
    Commands commands;
    commands.push_back(std::make_unique<ShowCommand>());
    commands.push_back(std::make_unique<HistoryCommand>());
    commands.push_back(std::make_unique<UpdateCommand>());
    commands.push_back(std::make_unique<WebGraphCommand>());
    commands.push_back(std::make_unique<AddCommand>());
    commands.push_back(std::make_unique<RemoveCommand>());
    commands.push_back(std::make_unique<ImportCommand>());
    commands.push_back(std::make_unique<WhereCommand>());
    commands.push_back(std::make_unique<HelpCommand>());
    return commands;
}

QList<QCommandLineOption> commandLineOptions()
{
    return {
        {{u"h"_s, u"help"_s}, u"Print this help, or after a command that command's usage."_s},
        {u"version"_s, u"Print the version."_s},
        {{u"l"_s, u"list"_s},
         u"Use the domain list FILE instead of the one the window uses. A command that writes makes it when it is "
         u"missing, in a folder that must exist."_s,
         u"FILE"_s},
        {u"wait"_s,
         u"A command that writes waits for the list that another Brenlow holds, as long as it takes or at most "
         u"SECONDS (--wait=SECONDS), instead of ending at once."_s,
         u"SECONDS"_s},
        {u"connect-to"_s,
         u"Send every request to ADDRESS:PORT (an IPv4 address) instead of the engine's host; the requests stay as "
         u"they are. For a local proxy or test server."_s,
         u"ADDRESS:PORT"_s},
        {u"format"_s,
         u"show, history, webgraph releases: table (the default), tsv, csv or json; history --export or --import: "
         u"csv or json."_s,
         u"FORMAT"_s},
        {u"no-header"_s, u"show, history, webgraph releases: no header line in a table, tsv or csv (json has none)."_s},
        {u"since"_s,
         u"history: only the runs that started, and the web graph's figures read, at DATE or later: a date "
         u"(2026-12-01: from the start of that day) or a date and time (2026-12-01T09:30), in local time unless it "
         u"ends in Z or an offset."_s,
         u"DATE"_s},
        {u"until"_s,
         u"history: only the runs that started, and the figures read, at DATE or earlier; a date alone takes in "
         u"the whole day."_s,
         u"DATE"_s},
        {u"export"_s,
         u"history: write the whole history to FILE, CSV or JSON as its name ends in .csv or .json, or to standard "
         u"output for - (CSV unless --format json)."_s,
         u"FILE"_s},
        {u"import"_s,
         u"history: add the runs and figures of FILE, as --export writes it, to the history (- reads standard "
         u"input); what the history holds already is not added again."_s,
         u"FILE"_s},
        {u"release"_s, u"webgraph update: read the release ID instead of the newest."_s, u"ID"_s},
        {u"linking-domains"_s,
         u"webgraph update: count the domains linking to each domain too, which reads the release's vertices and "
         u"edges as well (about 15 GB)."_s},
        {u"webgraph-index"_s, u"webgraph: read the list of releases from URL instead of the web graph's own index."_s,
         u"URL"_s},
        {u"webgraph-data"_s,
         u"webgraph: find the release files under URL (projects/hyperlinkgraph/ID/domain/...), a mirror or a "
         u"folder (file:///... or a path) that holds releases downloaded by other means."_s,
         u"URL"_s},
    };
}

int Command::execute(ListSession&, Invocation&, const QStringList&)
{
    return ExitStatus::Usage;
}

int Command::execute(Invocation&, const QStringList&)
{
    return ExitStatus::Usage;
}

int Invocation::signalReceived() const
{
    return TerminationSignals::received();
}

std::unique_ptr<QIODevice> Invocation::openInput(const QString& path, QString& error) const
{
    const auto stop = [this] { return stopRequested(); };
    if (path == u"-"_s) {
        std::FILE* in = console.in();
        const int fd = ::fileno(in);
        if (fd < 0) // a stream in memory
            return std::make_unique<StreamDevice>(in, stop);
        return std::make_unique<StreamDevice>(fd, QIODevice::ReadOnly, stop);
    }
    const PathKind kind = pathKind(path);
    if (isStream(kind))
        return StreamDevice::open(path, QIODevice::ReadOnly, stop, error);
    if (kind == PathKind::Directory || kind == PathKind::DanglingLink) {
        error = pathKindClause(path, kind);
        return nullptr;
    }
    auto file = std::make_unique<QFile>(path);
    if (path.isEmpty() || !file->open(QIODevice::ReadOnly)) {
        error = path.isEmpty() ? u"no file is named"_s : file->errorString();
        return nullptr;
    }
    return file;
}

QString Invocation::listPathProblem(bool writes) const
{
    const PathKind kind = pathKind(listPath);
    if (kind == PathKind::RegularFile || kind == PathKind::Unsearchable) // the load tells of the folder
        return {};
    if (kind != PathKind::Missing)
        return u"the domain list %1, not a list file; it is left as it is: give --list the path of a list file"_s.arg(
            pathKindClause(listPath, kind));
    // A path that ends in "/" names a folder, which no list can be.
    if (listPath.endsWith(u'/'))
        return u"the domain list %1 names a folder, not a list file; give --list the path of a list file"_s.arg(
            listPath);
    if (!writes)
        return u"the domain list %1 does not exist; add or import makes it"_s.arg(listPath);
    const QString folder = QFileInfo(listPath).absolutePath();
    if (parser.isSet(u"list"_s) && !QFileInfo(folder).isDir())
        return u"the folder %1 of the domain list does not exist; make it, or give --list a file in a folder "
               u"that exists"_s.arg(folder);
    return {};
}

int Invocation::saveList(ListSession& session) const
{
    if (signalReceived() != 0)
        return ExitStatus::SignalBase + signalReceived();
    if (session.save())
        return ExitStatus::Ok;
    console.error(session.problemText());
    return ExitStatus::ListUnusable;
}

namespace {

// "-l, --list=FILE", "--wait[=SECONDS]": an option as it is typed.
QString optionSynopsis(const QCommandLineOption& option)
{
    QStringList names;
    for (const QString& name : option.names())
        names.append(name.size() == 1 ? u"-"_s + name : u"--"_s + name);
    QString synopsis = names.join(u", "_s);
    if (option.names().constLast() == u"wait"_s)
        synopsis += u"[=SECONDS]"_s;
    else if (!option.valueName().isEmpty())
        synopsis += u'=' + option.valueName();
    return synopsis;
}

} // namespace

void Invocation::printUsage(const Command* command) const
{
    const int width = helpWidth(console.out());
    QList<QCommandLineOption> options;
    QString text;
    if (!command) {
        text = wrappedText(u"usage: brenlow-cli [OPTION...] COMMAND [ARGUMENT...]"_s, width) + u'\n' +
               wrappedText(u"Measures the link popularity of the domains in Brenlow's list: the same list, requests "
                           u"and counts as the window."_s,
                           width) +
               u"\nCommands:\n"_s;
        QList<HelpItem> usages;
        for (const auto& each : commands)
            usages.append({QString(each->name() + u' ' + each->arguments()).trimmed(), each->summary()});
        text += helpItemsText(usages, width);
        options = commandLineOptions();
    } else {
        text = wrappedText(u"usage: brenlow-cli [OPTION...] "_s +
                               QString(command->name() + u' ' + command->arguments()).trimmed(),
                           width) +
               u'\n' + wrappedText(command->summary(), width);
        if (!command->details().isEmpty())
            text += u'\n' + helpItemsText(command->details(), width);
        const bool waits = command->writesList(parser) && command->opensList();
        for (const QCommandLineOption& option : commandLineOptions()) {
            const QString name = option.names().constLast();
            if (command->options().contains(name) || (name == u"wait"_s && waits))
                options.append(option);
        }
    }
    if (!options.isEmpty()) {
        QList<HelpItem> items;
        for (const QCommandLineOption& option : options)
            items.append({optionSynopsis(option), option.description()});
        text += u"\nOptions:\n"_s + helpItemsText(items, width);
    }
    if (command)
        text += u'\n' + wrappedText(u"See brenlow-cli --help for the options every command takes."_s, width);
    console.print(text.toUtf8());
}
