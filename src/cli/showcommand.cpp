#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/invocation.h"
#include "cli/listeddomain.h"
#include "cli/terminaltext.h"
#include "engine/bytetext.h"
#include "grid/gridcolumns.h"
#include "workflows/listsession.h"

#include <QCommandLineParser>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>

using namespace Qt::StringLiterals;

namespace {

// Domain, Total and the five engines.
constexpr int columns = GridColumn::FirstEngine + EngineCount;

// The rows to show: the list's, or those of the domains named.
struct Rows {
    QList<int> rows;
    QString unlisted; // a domain named that the list does not hold
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
            shown.unlisted = argument;
            return shown;
        }
        shown.rows.append(row);
    }
    return shown;
}

// What scripts read: counts and totals as plain digits, the same under every locale; a cell that holds no
// count (a list edited by hand) is empty.
QString plainCount(const ListSession& session, const QString& cell)
{
    const std::optional<qint64> count = session.countText().parseStored(cell);
    return count ? QString::number(*count) : QString();
}

// A field of tab-separated values: tabs, line breaks and backslashes written as escapes.
QByteArray tsvField(const QByteArray& bytes)
{
    QByteArray field = bytes;
    field.replace('\\', "\\\\").replace('\t', "\\t").replace('\n', "\\n").replace('\r', "\\r");
    return field;
}

// A field of comma-separated values (RFC 4180): quoted when it holds a comma, a quote or a line break.
QByteArray csvField(const QByteArray& bytes)
{
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n') && !bytes.contains('\r'))
        return bytes;
    return '"' + QByteArray(bytes).replace('"', "\"\"") + '"';
}

// A domain for JSON, which must be Unicode: a byte that is not valid UTF-8 counts as Latin-1.
QString jsonText(const QByteArray& bytes)
{
    QString text = textFromBytes(bytes);
    for (QChar& c : text) {
        if (c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF)
            c = QChar(c.unicode() - 0xDC00);
    }
    return text;
}

} // namespace

int ShowCommand::execute(ListSession& session, Invocation& invocation, const QStringList& arguments)
{
    const QString format = invocation.parser.isSet(u"format"_s) ? invocation.parser.value(u"format"_s) : u"table"_s;
    const bool header = !invocation.parser.isSet(u"no-header"_s);
    if (format != u"table"_s && format != u"tsv"_s && format != u"csv"_s && format != u"json"_s) {
        invocation.console.error(u"there is no format %1: table, tsv, csv or json"_s.arg(format));
        return ExitStatus::Usage;
    }
    if (format == u"json"_s && !header) {
        invocation.console.error(u"--no-header does not go with --format json"_s);
        return ExitStatus::Usage;
    }
    const Rows shown = rowsToShow(session, arguments);
    if (!shown.unlisted.isEmpty()) {
        invocation.console.error(u"%1 is not in the list"_s.arg(printableText(shown.unlisted)));
        return ExitStatus::Usage;
    }
    const GridControl& cells = session.grid().grid();
    const Console& console = invocation.console;
    const auto stop = [&] { return console.outputFailed() || invocation.signalReceived() != 0; };
    const auto domainBytes = [&](int row) { return bytesFromText(cells.TextMatrix(row, GridColumn::Domain)); };

    if (format == u"json"_s) {
        // One array of objects, written object by object, so that a long list needs no document in memory.
        console.print("[");
        for (const int row : shown.rows) {
            QJsonObject record{{u"domain"_s, jsonText(domainBytes(row))}};
            for (int col = GridColumn::Total; col < columns; ++col) {
                const std::optional<qint64> count = session.countText().parseStored(cells.TextMatrix(row, col));
                record.insert(col == GridColumn::Total ? u"total"_s : cells.TextMatrix(0, col),
                              count ? QJsonValue(double(*count)) : QJsonValue());
            }
            console.print((row == shown.rows.first() ? "" : ",") +
                          QJsonDocument(record).toJson(QJsonDocument::Compact));
            if (stop())
                break;
        }
        console.print("]\n");
    } else if (format != u"table"_s) {
        const bool tsv = format == u"tsv"_s;
        const QByteArray separator = tsv ? "\t" : ",";
        const QByteArray lineEnd = tsv ? "\n" : "\r\n";
        const auto field = [&](const QByteArray& bytes) { return tsv ? tsvField(bytes) : csvField(bytes); };
        QList<int> rows = shown.rows;
        if (header)
            rows.prepend(0);
        for (const int row : rows) {
            QByteArray line = field(domainBytes(row));
            for (int col = GridColumn::Total; col < columns; ++col) {
                const QString cell = cells.TextMatrix(row, col);
                line += separator + field((row == 0 ? cell : plainCount(session, cell)).toUtf8());
            }
            console.print(line + lineEnd);
            if (stop())
                break;
        }
    } else {
        // As the window shows them: the domain left-aligned, the numbers right-aligned so that their digits line
        // up, columns as wide as their widest text on the terminal, what a terminal would act on escaped.
        QList<int> rows = shown.rows;
        if (header)
            rows.prepend(0);
        const auto text = [&](int row, int col) {
            return col == GridColumn::Domain ? printableText(cells.TextMatrix(row, col)) : cells.TextMatrix(row, col);
        };
        // The widths first, then the lines, so that a long list is never held as text.
        std::array<int, columns> widths{};
        for (const int row : rows) {
            for (int col = 0; col < columns; ++col)
                widths[col] = std::max(widths[col], displayWidth(text(row, col)));
        }
        for (const int row : rows) {
            QString line = padded(text(row, GridColumn::Domain), widths[GridColumn::Domain], false);
            for (int col = GridColumn::Total; col < columns; ++col)
                line += u"  "_s + padded(text(row, col), widths[col], true);
            console.print(line.toUtf8() + '\n');
            if (stop())
                break;
        }
    }
    return invocation.signalReceived() != 0 ? ExitStatus::SignalBase + invocation.signalReceived() : ExitStatus::Ok;
}
