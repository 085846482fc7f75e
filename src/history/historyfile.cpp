#include "history/historyfile.h"

#include "engine/enginecatalogue.h"
#include "history/historyfilefields.h"
#include "history/historygraphfields.h"
#include "history/historyimport.h"
#include "history/historyreaders.h"

#include <nlohmann/json.hpp>

using namespace Qt::StringLiterals;
using namespace historyfile;

namespace {

// The engines' names in catalogue order, as the files write them.
const QList<QByteArray>& engineNames()
{
    static const QList<QByteArray> names = [] {
        QList<QByteArray> result;
        for (const EngineDefinition& engine : engineDefinitions())
            result.append(engine.name.toLatin1());
        return result;
    }();
    return names;
}

// A JSON string, quoted and escaped by the JSON library that reads the files back.
QByteArray jsonString(const QString& text)
{
    return QByteArray::fromStdString(nlohmann::json(text.toStdString()).dump());
}

} // namespace

QByteArray csvField(const QByteArray& bytes)
{
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n') && !bytes.contains('\r'))
        return bytes;
    return '"' + QByteArray(bytes).replace('"', "\"\"") + '"';
}

std::optional<HistoryFormat> historyFormatOf(const QString& fileName)
{
    if (fileName.endsWith(u".csv"_s, Qt::CaseInsensitive))
        return HistoryFormat::Csv;
    if (fileName.endsWith(u".json"_s, Qt::CaseInsensitive))
        return HistoryFormat::Json;
    return std::nullopt;
}

QString historyDomainText(const QByteArray& domain)
{
    QString text;
    text.reserve(domain.size());
    for (const char c : domain) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7f && byte != '%')
            text += QChar::fromLatin1(c);
        else
            text += u'%' + QString::number(byte, 16).rightJustified(2, u'0').toUpper();
    }
    return text;
}

std::optional<QByteArray> historyDomainBytes(QStringView text)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'%') {
            bool ok = false;
            const uint byte = text.mid(i + 1, 2).toUInt(&ok, 16);
            if (!ok || text.mid(i + 1, 2).size() != 2)
                return std::nullopt;
            bytes += static_cast<char>(byte);
            i += 2;
        } else if (c > 0x20 && c < 0x7f) {
            bytes += static_cast<char>(c);
        } else {
            return std::nullopt;
        }
    }
    return bytes;
}

HistoryWriter::HistoryWriter(QIODevice& out, HistoryFormat format)
    : m_out(out)
    , m_format(format)
{
}

bool HistoryWriter::put(const QByteArray& bytes)
{
    m_ok = m_ok && m_out.write(bytes) == bytes.size();
    return m_ok;
}

QByteArray HistoryWriter::begin()
{
    if (!m_first)
        return {};
    m_first = false;
    if (m_format == HistoryFormat::Csv)
        return csvHeader + "\r\n";
    return "{\"brenlowHistory\":" + QByteArray::number(JsonVersion) + ",\"runs\":[";
}

bool HistoryWriter::write(const HistoryRun& run)
{
    const QByteArray started = timeBytes(run.started);
    const QByteArray ended = timeBytes(run.ended);
    const QByteArray frontEnd = frontEndName(run.frontEnd).toLatin1();
    const char* cancelled = run.cancelled ? "true" : "false";
    QByteArray out = begin();
    if (m_format == HistoryFormat::Csv) {
        const QByteArray runFields =
            csvField(run.identity.toUtf8()) + ',' + started + ',' + ended + ',' + frontEnd + ',' + cancelled + ',';
        bool any = false;
        for (const DomainFetches& fetches : run.domains) {
            const QByteArray domain = csvField(historyDomainText(fetches.domain).toUtf8()) + ',';
            for (qsizetype i = 0; i < fetches.engines.size(); ++i) {
                const HistoryFetch& fetch = fetches.engines[i];
                if (!fetch.made())
                    continue;
                any = true;
                out += runFields + domain + engineNames()[i] + ',' + timeBytes(fetch.at) + ',';
                if (fetch.count)
                    out += QByteArray::number(*fetch.count) + ",,,\r\n";
                else
                    out += ',' + failureKindName(fetch.failure.kind).toLatin1() + ',' +
                           csvField(failureDetailText(fetch.failure).toUtf8()) + ',' +
                           (fetch.kept ? QByteArray::number(*fetch.kept) : QByteArray()) + "\r\n";
            }
        }
        if (!any)
            out += runFields + ",,,,,,\r\n";
    } else {
        out += m_runs == 0 ? "\n{\"id\":" : ",\n{\"id\":";
        out += jsonString(run.identity) + ",\"started\":\"" + started +
               "\",\"ended\":" + (run.ended.isValid() ? '"' + ended + '"' : "null"_ba) + ",\"frontEnd\":\"" + frontEnd +
               "\",\"cancelled\":" + cancelled + ",\"fetches\":[";
        bool first = true;
        for (const DomainFetches& fetches : run.domains) {
            const QByteArray domain = jsonString(historyDomainText(fetches.domain));
            for (qsizetype i = 0; i < fetches.engines.size(); ++i) {
                const HistoryFetch& fetch = fetches.engines[i];
                if (!fetch.made())
                    continue;
                out += (first ? "{\"domain\":" : ",{\"domain\":") + domain + ",\"engine\":\"" + engineNames()[i] +
                       "\",\"at\":\"" + timeBytes(fetch.at) + '"';
                first = false;
                if (fetch.count) {
                    out += ",\"count\":" + QByteArray::number(*fetch.count) + '}';
                    continue;
                }
                out += ",\"failure\":\"" + failureKindName(fetch.failure.kind).toLatin1() + '"';
                const QString detail = failureDetailText(fetch.failure);
                if (!detail.isEmpty())
                    out += ",\"detail\":" + jsonString(detail);
                if (fetch.kept)
                    out += ",\"kept\":" + QByteArray::number(*fetch.kept);
                out += '}';
            }
        }
        out += "]}";
    }
    ++m_runs;
    return put(out);
}

QByteArray HistoryWriter::beginReleases()
{
    if (m_inReleases)
        return {};
    m_inReleases = true;
    const QByteArray start = begin();
    // CSV's second section follows a blank line, so that a reader of the runs alone may stop there.
    if (m_format == HistoryFormat::Csv)
        return start + "\r\n" + csvGraphHeader + "\r\n";
    return start + (m_runs > 0 ? "\n]" : "]") + ",\"webgraph\":[";
}

QByteArray HistoryWriter::endRelease()
{
    if (m_releases == 0)
        return {};
    if (m_format == HistoryFormat::Csv)
        return m_figures == 0 ? csvGraphLine(m_release, {}, nullptr) : QByteArray();
    return m_figures > 0 ? "\n]}" : "]}";
}

bool HistoryWriter::writeRelease(const GraphRelease& release)
{
    QByteArray out = beginReleases() + endRelease();
    if (m_format == HistoryFormat::Json)
        out += (m_releases == 0 ? "\n" : ",\n") + jsonReleaseStart(release);
    m_release = release;
    ++m_releases;
    m_figures = 0;
    return put(out);
}

bool HistoryWriter::writeFigures(const QByteArray& domain, const GraphFigures& figures)
{
    const QByteArray out = m_format == HistoryFormat::Csv
                               ? csvGraphLine(m_release, domain, &figures)
                               : (m_figures == 0 ? "\n" : ",\n") + jsonFigures(domain, figures);
    ++m_figures;
    return put(out);
}

bool HistoryWriter::finish()
{
    if (m_format == HistoryFormat::Csv)
        return put(begin() + endRelease());
    const QByteArray out = beginReleases() + endRelease() + (m_releases > 0 ? "\n]}\n" : "]}\n");
    return put(out);
}

bool exportHistory(HistoryStore& store, QIODevice& out, HistoryFormat format, QString& error, const StopRequested& stop)
{
    HistoryWriter writer(out, format);
    bool written = true;
    const auto going = [&](bool wrote) {
        written = !(stop && stop()) && wrote;
        return written;
    };
    const bool read = store.visitRuns([&](const HistoryRun& run) { return going(writer.write(run)); }) &&
                      (!written || store.visitGraphReleases(
                                       [&](const GraphRelease& release) { return going(writer.writeRelease(release)); },
                                       [&](const QByteArray& domain, const GraphFigures& figures) {
                                           return going(writer.writeFigures(domain, figures));
                                       }));
    if (!read) {
        error = store.problemText();
        return false;
    }
    if (!written || !writer.finish()) {
        error = stop && stop() ? u"interrupted"_s : out.errorString();
        return false;
    }
    return true;
}

std::optional<qint64> importHistory(HistoryStore& store, QIODevice& in, HistoryFormat format, QString& error,
                                    const StopRequested& stop)
{
    HistoryImport import(store);
    if (format == HistoryFormat::Csv)
        readHistoryCsv(in, import, stop);
    else
        readHistoryJson(in, import, stop);
    const std::optional<qint64> added = import.finish();
    if (!added)
        error = import.error();
    return added;
}
