#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/historygraph.h"
#include "cli/historyrows.h"
#include "cli/historytransfer.h"
#include "cli/invocation.h"
#include "cli/listeddomain.h"
#include "cli/rowoutput.h"
#include "cli/terminaltext.h"
#include "cli/timebound.h"
#include "domains/domaintext.h"
#include "engine/bytetext.h"
#include "engine/timetext.h"
#include "history/historyfile.h"
#include "history/historyfilefields.h"
#include "history/historystore.h"
#include "workflows/listsession.h"

#include <QCommandLineParser>

#include <algorithm>
#include <functional>
#include <utility>

using namespace Qt::StringLiterals;
using namespace historyrows;

namespace {

// The domains named, as the history holds them: a listed one as the list holds it, any other as Add Domain would
// store it. Nothing, after a message, when one is no domain.
std::optional<QList<QByteArray>> namedDomains(ListSession& session, const Invocation& invocation,
                                              const QStringList& arguments)
{
    QList<QByteArray> domains;
    const ListedDomains listed = arguments.isEmpty() ? ListedDomains() : ListedDomains(session);
    for (const QString& argument : arguments) {
        // A listed domain may hold what Add Domain would refuse (a list edited by hand).
        const int row = listed.rowOf(argument);
        const NormalisedDomain named = NormaliseDomain(typedDomainText(argument));
        if (row < 0 && named.result != AddDomainResult::AddOk) {
            invocation.console.error(u"This does not appear to be a valid domain: %1"_s.arg(printableText(argument)));
            return std::nullopt;
        }
        const QByteArray domain = row < 0 ? named.domain : session.domains().domain(row).toByteArray();
        if (!domains.contains(domain))
            domains.append(domain);
    }
    return domains;
}

int printHistory(ListSession& session, const Invocation& invocation, const QStringList& arguments)
{
    const QCommandLineParser& parser = invocation.parser;
    const Console& console = invocation.console;
    const std::optional<RowFormat> format = rowFormat(invocation);
    if (!format)
        return ExitStatus::Usage;
    QDateTime bounds[2];
    for (const bool until : {false, true}) {
        const QString option = until ? u"until"_s : u"since"_s;
        if (!parser.isSet(option))
            continue;
        const TimeBound bound = timeBound(parser.value(option), until);
        if (const auto* problem = std::get_if<TimeBound::Problem>(&bound.value)) {
            console.error(
                *problem == TimeBound::Problem::NoSuchLocal
                    ? u"--%1 %2 names a local time that does not exist: the clocks skip it when summer "
                      u"time starts; give a time before or after the change"_s.arg(option,
                                                                                   printableText(parser.value(option)))
                    : u"--%1 takes a date, as 2026-12-01, or a date and time, as 2026-12-01T09:30"_s.arg(option));
            return ExitStatus::Usage;
        }
        bounds[until] = std::get<QDateTime>(bound.value);
    }
    const std::optional<QList<QByteArray>> domains = namedDomains(session, invocation, arguments);
    if (!domains)
        return ExitStatus::Usage;

    // The list's lock is not needed to read its history.
    HistoryStore store(session.domains().filePath());
    if (!store.open(HistoryStore::Mode::Read)) {
        console.error(store.problemText());
        return ExitStatus::ListUnusable;
    }
    const auto stop = [&] { return console.outputFailed() || invocation.signalReceived() != 0; };
    const auto rows = [&](const std::function<void(const HistoryRow&)>& each) {
        return visitRows(store, *domains, bounds[0], bounds[1], [&](const HistoryRow& row) {
            each(row);
            return !stop();
        });
    };
    // The web graph's figures follow the runs, and only when figures were read for the domains, so that scripts
    // that read the runs see them as before; in tsv, csv and a table after a blank line, with a header of their own.
    const auto graph = [&](const historygraph::DomainVisitor& each) {
        return historygraph::visit(store, *domains, bounds[0], bounds[1],
                                   [&](const QByteArray& domain, const QList<LatestGraphFigures>& read) {
                                       return each(domain, read) && !stop();
                                   });
    };
    const bool header = !parser.isSet(u"no-header"_s);
    bool read = true;
    if (*format == RowFormat::Json) {
        // One array of objects, written object by object, as show writes it: the runs, then an object for each
        // domain with figures.
        QByteArray separator;
        console.print("[");
        const auto print = [&](const nlohmann::json& record) {
            console.print(separator + compactJson(record));
            separator = ",";
            return true;
        };
        read = rows([&](const HistoryRow& row) { print(jsonRecord(row)); });
        if (read && !stop())
            read = graph([&](const QByteArray& domain, const QList<LatestGraphFigures>& figures) {
                return print(historygraph::json(domain, figures));
            });
        console.print("]\n");
    } else if (*format != RowFormat::Table) {
        if (header) {
            QList<QByteArray> fields;
            for (const QString& text : headerTexts(false))
                fields.append(text.toUtf8());
            console.print(separatedLine(fields, *format));
        }
        read = rows([&](const HistoryRow& row) { console.print(separatedLine(separatedFields(row), *format)); });
        bool first = true;
        if (read && !stop())
            read = graph([&](const QByteArray& domain, const QList<LatestGraphFigures>& figures) {
                if (std::exchange(first, false)) {
                    console.print(separatedLine({QByteArray()}, *format));
                    if (header)
                        console.print(separatedLine(historygraph::fieldNames(), *format));
                }
                for (const LatestGraphFigures& one : figures)
                    console.print(separatedLine(historygraph::fields(domain, one), *format));
                return true;
            });
    } else {
        // The widths first, then the lines, reading the history twice rather than holding it as text.
        // The start and the domain to the left, the counts to the right.
        QList<bool> alignRight(headerTexts(true).size(), true);
        alignRight[0] = alignRight[1] = false;
        TableColumns table(alignRight);
        if (header)
            table.measure(headerTexts(true));
        read = rows([&](const HistoryRow& row) { table.measure(tableTexts(row, session.countText())); });
        if (header && read && !stop())
            console.print(table.line(headerTexts(true)));
        if (read && !stop())
            read =
                rows([&](const HistoryRow& row) { console.print(table.line(tableTexts(row, session.countText()))); });
        // The figures likewise, in a table of their own.
        const QLocale& locale = session.countText().locale();
        TableColumns graphTable(historygraph::tableAlignRight());
        if (header)
            graphTable.measure(historygraph::tableTitles());
        bool any = false;
        const auto lines = [&](const std::function<void(const QStringList&)>& each) {
            return graph([&](const QByteArray& domain, const QList<LatestGraphFigures>& figures) {
                for (const LatestGraphFigures& one : figures)
                    each(historygraph::tableTexts(domain, one, locale));
                return true;
            });
        };
        if (read && !stop())
            read = lines([&](const QStringList& texts) {
                graphTable.measure(texts);
                any = true;
            });
        if (read && any && !stop()) {
            console.print(header ? "\n" + graphTable.line(historygraph::tableTitles()) : "\n"_ba);
            read = lines([&](const QStringList& texts) { console.print(graphTable.line(texts)); });
        }
    }
    if (!read) {
        console.error(store.problemText());
        return ExitStatus::ListUnusable;
    }
    return invocation.signalReceived() != 0 ? ExitStatus::SignalBase + invocation.signalReceived() : ExitStatus::Ok;
}

} // namespace

QList<HelpItem> HistoryCommand::details() const
{
    return {
        {{},
         u"One line for each domain of each run, oldest run first: when the run started, the domain, the "
         u"total of the counts found and each engine's count. A table shows the start in local time and "
         u"the counts as the window does, \"failed\" where a fetch failed and \"-\" where the run did not "
         u"get to ask; tsv and csv show the start in UTC (ISO 8601) and a count that is missing as an "
         u"empty field; json writes one array of objects with the members started, domain, total, one per "
         u"engine (null when missing) and failures, which holds for each engine that failed the kind of "
         u"failure and its detail."_s},
        {{},
         u"Where releases of the web graph were read for the domains, a blank line and their figures "
         u"follow the runs: a line for each release read for each domain, with the time it was read "
         u"(--since and --until keep those read in between), the release, the registered domain, its "
         u"positions by harmonic centrality (Web Rank) and by PageRank, its hosts and its linking domains "
         u"(\"-\" when not counted). tsv and csv name the fields domain, show's webgraph.* fields, "
         u"webgraph.crawls and webgraph.readAt; json adds an object for each domain with the members "
         u"domain and webgraph, a list of show's webgraph members with crawls and readAt."_s},
        {{},
         u"--export writes the whole history, the web graph's releases and figures included, and --import "
         u"reads such a file back; an import takes the list's lock, as update does, and adds nothing that "
         u"the history holds already."_s},
    };
}

bool HistoryCommand::writesList(const QCommandLineParser& parser) const
{
    return parser.isSet(u"import"_s);
}

bool HistoryCommand::readsStandardInput(const QCommandLineParser& parser, const QStringList&) const
{
    return parser.isSet(u"import"_s) && parser.value(u"import"_s) == u"-"_s;
}

int HistoryCommand::execute(ListSession& session, Invocation& invocation, const QStringList& arguments)
{
    const QCommandLineParser& parser = invocation.parser;
    const bool exporting = parser.isSet(u"export"_s);
    if (!exporting && !parser.isSet(u"import"_s))
        return printHistory(session, invocation, arguments);

    // An export or an import takes the whole history.
    const QString option = exporting ? u"--export"_s : u"--import"_s;
    if (exporting && parser.isSet(u"import"_s)) {
        invocation.console.error(u"--export and --import do not go together"_s);
        return ExitStatus::Usage;
    }
    for (const QString& other : {u"since"_s, u"until"_s, u"no-header"_s}) {
        if (parser.isSet(other)) {
            invocation.console.error(u"--%1 does not go with %2"_s.arg(other, option));
            return ExitStatus::Usage;
        }
    }
    if (!arguments.isEmpty()) {
        invocation.console.error(u"%1 takes the whole history and no domain"_s.arg(option));
        return ExitStatus::Usage;
    }
    const QString path = parser.value(exporting ? u"export"_s : u"import"_s);
    if (path.isEmpty()) {
        invocation.console.error(u"the file name given to %1 is empty; name a file, or - for %2"_s.arg(
            option, exporting ? u"standard output"_s : u"standard input"_s));
        return ExitStatus::Usage;
    }
    const std::optional<HistoryFormat> format = historyFileFormat(invocation, option, path);
    if (!format)
        return ExitStatus::Usage;
    return exporting ? exportHistoryTo(session, invocation, path, *format)
                     : importHistoryFrom(session, invocation, path, *format);
}
