#include "cli/rowoutput.h"

#include "cli/console.h"
#include "cli/invocation.h"
#include "cli/terminaltext.h"
#include "engine/bytetext.h"
#include "history/historyfile.h"

#include <QCommandLineParser>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QByteArray tsvField(const QByteArray& bytes)
{
    QByteArray field = bytes;
    field.replace('\\', "\\\\").replace('\t', "\\t").replace('\n', "\\n").replace('\r', "\\r");
    return field;
}

} // namespace

std::optional<RowFormat> rowFormat(const Invocation& invocation)
{
    const QString name = invocation.parser.isSet(u"format"_s) ? invocation.parser.value(u"format"_s) : u"table"_s;
    const std::pair<QString, RowFormat> formats[] = {{u"table"_s, RowFormat::Table},
                                                     {u"tsv"_s, RowFormat::Tsv},
                                                     {u"csv"_s, RowFormat::Csv},
                                                     {u"json"_s, RowFormat::Json}};
    const auto found =
        std::find_if(std::begin(formats), std::end(formats), [&](const auto& f) { return f.first == name; });
    if (found == std::end(formats)) {
        invocation.console.error(u"there is no format %1: table, tsv, csv or json"_s.arg(name));
        return std::nullopt;
    }
    if (found->second == RowFormat::Json && invocation.parser.isSet(u"no-header"_s)) {
        invocation.console.error(u"--no-header does not go with --format json"_s);
        return std::nullopt;
    }
    return found->second;
}

QByteArray separatedLine(const QList<QByteArray>& fields, RowFormat format)
{
    const bool tsv = format == RowFormat::Tsv;
    QByteArray line;
    for (qsizetype at = 0; at < fields.size(); ++at) {
        if (at > 0)
            line += tsv ? '\t' : ',';
        line += tsv ? tsvField(fields[at]) : csvField(fields[at]);
    }
    return line + (tsv ? "\n" : "\r\n");
}

QString jsonText(const QByteArray& bytes)
{
    QString text = textFromBytes(bytes);
    for (QChar& c : text) {
        if (c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF)
            c = QChar(c.unicode() - 0xDC00);
    }
    return text;
}

QByteArray compactJson(const nlohmann::json& value)
{
    return QByteArray::fromStdString(value.dump());
}

nlohmann::json jsonCount(const std::optional<qint64>& count)
{
    return count ? nlohmann::json(*count) : nlohmann::json(nullptr);
}

TableColumns::TableColumns(QList<bool> alignRight)
    : m_alignRight(std::move(alignRight))
    , m_widths(m_alignRight.size(), 0)
{
}

void TableColumns::measure(const QStringList& cells)
{
    for (qsizetype col = 0; col < m_widths.size(); ++col)
        m_widths[col] = std::max(m_widths[col], displayWidth(cells.value(col)));
}

QByteArray TableColumns::line(const QStringList& cells) const
{
    QString line;
    for (qsizetype col = 0; col < m_widths.size(); ++col) {
        if (col > 0)
            line += u"  "_s;
        line += padded(cells.value(col), m_widths[col], m_alignRight[col]);
    }
    return line.toUtf8() + '\n';
}
