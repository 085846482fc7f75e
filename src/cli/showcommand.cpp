#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/graphcolumns.h"
#include "cli/invocation.h"
#include "cli/listeddomain.h"
#include "cli/rowoutput.h"
#include "cli/terminaltext.h"
#include "engine/bytetext.h"
#include "grid/domaingrid.h"
#include "grid/gridcolumns.h"
#include "workflows/listsession.h"

#include <QCommandLineParser>

using namespace Qt::StringLiterals;

namespace {

// The rows to show: the list's, or those of the domains named.
struct Rows {
    QList<int> rows;
    QString unlisted; // why a domain named is not shown: the list does not hold it
};

Rows rowsToShow(ListSession& session, const QStringList& arguments)
{
    Rows shown;
    if (arguments.isEmpty()) {
        for (int row = 1; row <= session.domains().count(); ++row)
            shown.rows.append(row);
        return shown;
    }
    const ListedDomains listed(session);
    for (const QString& argument : arguments) {
        const int row = listed.rowOf(argument);
        if (row < 0) {
            shown.unlisted = listed.notListedText(argument);
            return shown;
        }
        shown.rows.append(row);
    }
    return shown;
}

// What scripts read of a row's count or total: a number, the same under every locale, or nothing for a cell that
// holds no count (a list edited by hand). The total is the sum of the counts, as the grid's, to the 64-bit range.
std::optional<qint64> plainCount(ListSession& session, int row, int col)
{
    if (col == GridColumn::Total)
        return session.domains().total(row);
    return session.domains().countValue(row, col - GridColumn::FirstEngine);
}

// A cell as the window shows it; row 0 holds the column titles.
QString cellText(ListSession& session, int row, int col)
{
    return row == 0 ? session.engines().gridHeader(col) : session.grid().cellText(row, col);
}

} // namespace

int ShowCommand::execute(ListSession& session, Invocation& invocation, const QStringList& arguments)
{
    const std::optional<RowFormat> format = rowFormat(invocation);
    if (!format)
        return ExitStatus::Usage;
    const bool header = !invocation.parser.isSet(u"no-header"_s);
    const Rows shown = rowsToShow(session, arguments);
    if (!shown.unlisted.isEmpty()) {
        invocation.console.error(shown.unlisted);
        return ExitStatus::Usage;
    }
    const Console& console = invocation.console;
    // Domain, Total and one column a source.
    const int columns = GridColumn::FirstEngine + session.sources().count();
    const auto stop = [&] { return console.outputFailed() || invocation.signalReceived() != 0; };
    const auto domainBytes = [&](int row) { return session.domains().domain(row).toByteArray(); };
    // The web graph's figures, from the history; none when it cannot be read (the counts are shown all the same).
    // Tables and separated values gain their columns once a release was read, as the window does.
    QHash<QByteArray, LatestGraphFigures> graph;
    bool graphRead = false;
    HistoryStore history(session.domains().filePath());
    if (history.open(HistoryStore::Mode::Read)) {
        graphRead = !history.graphReleases().isEmpty();
        QList<QByteArray> domains;
        if (!arguments.isEmpty()) {
            for (const int row : shown.rows)
                domains.append(domainBytes(row));
        }
        graph = latestGraphFigures(history, domains).value_or(QHash<QByteArray, LatestGraphFigures>());
    }
    const auto graphOf = [&](int row) -> const LatestGraphFigures* {
        const auto found = graph.constFind(domainBytes(row));
        return found == graph.cend() ? nullptr : &*found;
    };

    if (*format == RowFormat::Json) {
        // One array of objects, written object by object, so that a long list needs no document in memory.
        console.print("[");
        for (const int row : shown.rows) {
            nlohmann::json record{{"domain", jsonText(domainBytes(row)).toStdString()}};
            for (int col = GridColumn::Total; col < columns; ++col) {
                const std::string name = col == GridColumn::Total ? "total" : cellText(session, 0, col).toStdString();
                record[name] = jsonCount(plainCount(session, row, col));
            }
            record["webgraph"] = graphcolumns::json(graphOf(row));
            console.print((row == shown.rows.first() ? "" : ",") + compactJson(record));
            if (stop())
                break;
        }
        console.print("]\n");
    } else if (*format != RowFormat::Table) {
        // The header names the columns as json names its members.
        if (header) {
            QList<QByteArray> names{"domain", "total"};
            for (const QString& name : session.sources().names())
                names.append(name.toUtf8());
            console.print(separatedLine(graphRead ? names + graphcolumns::fieldNames() : names, *format));
        }
        for (const int row : shown.rows) {
            QList<QByteArray> fields{domainBytes(row)};
            for (int col = GridColumn::Total; col < columns; ++col) {
                const std::optional<qint64> count = plainCount(session, row, col);
                fields.append(count ? QByteArray::number(*count) : QByteArray());
            }
            if (graphRead)
                fields += graphcolumns::fields(graphOf(row));
            console.print(separatedLine(fields, *format));
            if (stop())
                break;
        }
    } else {
        // As the window shows them: the domain left-aligned, the counts as stored, what a terminal would act on
        // escaped.
        QList<int> rows = shown.rows;
        if (header)
            rows.prepend(0);
        const auto line = [&](int row) {
            QStringList texts{printableText(cellText(session, row, GridColumn::Domain))};
            for (int col = GridColumn::Total; col < columns; ++col)
                texts.append(cellText(session, row, col));
            if (graphRead)
                texts += row == 0 ? graphcolumns::tableTitles()
                                  : graphcolumns::tableTexts(graphOf(row), session.countText().locale());
            return texts;
        };
        QList<bool> alignRight(columns + (graphRead ? 2 : 0), true);
        alignRight[GridColumn::Domain] = false;
        TableColumns table(alignRight);
        for (const int row : rows)
            table.measure(line(row));
        for (const int row : rows) {
            console.print(table.line(line(row)));
            if (stop())
                break;
        }
    }
    return invocation.signalReceived() != 0 ? ExitStatus::SignalBase + invocation.signalReceived() : ExitStatus::Ok;
}
