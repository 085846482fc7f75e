#include "workflows/historyfile.h"

#include "engine/enginecatalogue.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

const QByteArray csvHeader = "run_started,run_ended,front_end,cancelled,domain,engine,at,count,failure,detail\n"_ba;
constexpr int CsvFields = 10;

// "2026-12-07T09:30:00.000Z"; empty for an invalid time. Written out by hand: an export writes two million.
QByteArray timeBytes(const QDateTime& time)
{
    if (!time.isValid())
        return {};
    const qint64 ms = time.toMSecsSinceEpoch();
    const qint64 msOfDay = ((ms % 86400000) + 86400000) % 86400000;
    const QDate date = QDate(1970, 1, 1).addDays((ms - msOfDay) / 86400000);
    char text[32];
    const int length =
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", date.year(), date.month(), date.day(),
                      int(msOfDay / 3600000), int(msOfDay / 60000 % 60), int(msOfDay / 1000 % 60), int(msOfDay % 1000));
    return QByteArray(text, length);
}

// The engines' names in catalogue order, as the files write them.
const std::array<QByteArray, EngineCount>& engineNames()
{
    static const std::array<QByteArray, EngineCount> names = [] {
        std::array<QByteArray, EngineCount> result;
        for (std::size_t i = 0; i < EngineCount; ++i)
            result[i] = engineDefinitions()[i].name.toLatin1();
        return result;
    }();
    return names;
}

// A JSON string of text that holds printable ASCII only, as domains and details in a history do.
QByteArray jsonString(const QString& text)
{
    QByteArray quoted = text.toLatin1();
    quoted.replace('\\', "\\\\").replace('"', "\\\"");
    return '"' + quoted + '"';
}

std::optional<QDateTime> timeFrom(QStringView text)
{
    QDateTime time = QDateTime::fromString(text.toString(), Qt::ISODateWithMs);
    if (!time.isValid() || time.timeSpec() != Qt::UTC)
        return std::nullopt;
    return time;
}

QString frontEndName(FrontEnd frontEnd)
{
    return frontEnd == FrontEnd::CommandLine ? u"command-line"_s : u"window"_s;
}

std::optional<FrontEnd> frontEndFrom(QStringView name)
{
    if (name == u"window")
        return FrontEnd::Window;
    if (name == u"command-line")
        return FrontEnd::CommandLine;
    return std::nullopt;
}

std::optional<int> engineFrom(QStringView name)
{
    for (int i = 0; i < EngineCount; ++i) {
        if (engineDefinitions()[static_cast<std::size_t>(i)].name == name)
            return i;
    }
    return std::nullopt;
}

// The fields of one CSV record; a quoted field may hold line breaks, so records are read from the device.
std::optional<QStringList> readCsvRecord(QIODevice& in)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    bool any = false;
    char c = 0;
    while (in.getChar(&c)) {
        any = true;
        if (quoted) {
            if (c != '"') {
                field += QChar::fromLatin1(c);
            } else if (in.peek(&c, 1) == 1 && c == '"') {
                in.getChar(&c);
                field += u'"';
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.append(QString::fromUtf8(field.toLatin1()));
            field.clear();
        } else if (c == '\n') {
            break;
        } else if (c != '\r') {
            field += QChar::fromLatin1(c);
        }
    }
    if (!any)
        return std::nullopt;
    fields.append(QString::fromUtf8(field.toLatin1()));
    return fields;
}

// Gathers the fetches of a file into runs: a run's records follow one another, as an export writes them.
class RunBuilder {
public:
    explicit RunBuilder(const HistoryStore::RunVisitor& visit)
        : m_visit(visit)
    {
    }

    bool startRun(const HistoryRun& run)
    {
        if (m_run && m_run->started == run.started)
            return true;
        if (!finish())
            return false;
        m_run = run;
        m_run->domains.clear();
        m_domainIndex.clear();
        return true;
    }

    void addFetch(const QByteArray& domain, int engine, const HistoryFetch& fetch)
    {
        auto index = m_domainIndex.constFind(domain);
        if (index == m_domainIndex.cend()) {
            index = m_domainIndex.insert(domain, m_run->domains.size());
            m_run->domains.append({domain, {}});
        }
        m_run->domains[*index].engines[static_cast<std::size_t>(engine)] = fetch;
    }

    bool finish()
    {
        const bool ok = !m_run || m_visit(*m_run);
        m_run.reset();
        return ok;
    }

private:
    const HistoryStore::RunVisitor& m_visit;
    std::optional<HistoryRun> m_run;
    QHash<QByteArray, qsizetype> m_domainIndex;
};

struct ParsedFetch {
    QByteArray domain;
    int engine = 0;
    HistoryFetch fetch;
};

// One fetch from its fields as both formats hold them; the reason it is not one otherwise.
std::optional<ParsedFetch> parseFetch(QStringView domain, QStringView engine, QStringView at,
                                      const std::optional<qint64>& count, QStringView failure, QStringView detail,
                                      QString& error)
{
    ParsedFetch parsed;
    const std::optional<QByteArray> bytes = historyDomainBytes(domain);
    const std::optional<int> index = engineFrom(engine);
    const std::optional<QDateTime> time = timeFrom(at);
    if (!bytes || bytes->isEmpty()) {
        error = u"not a domain: %1"_s.arg(domain);
        return std::nullopt;
    }
    if (!index) {
        error = u"no such engine: %1"_s.arg(engine);
        return std::nullopt;
    }
    if (!time) {
        error = u"not a time in UTC: %1"_s.arg(at);
        return std::nullopt;
    }
    parsed.domain = *bytes;
    parsed.engine = *index;
    parsed.fetch.at = *time;
    if (count) {
        parsed.fetch.count = count;
        return parsed;
    }
    const std::optional<FailureDetail> reason = failureFromText(failure, detail);
    if (!reason) {
        error = u"neither a count nor a failure: %1 %2"_s.arg(failure, detail);
        return std::nullopt;
    }
    parsed.fetch.failure = *reason;
    return parsed;
}

// The run fields both formats share; the reason they are not a run otherwise.
std::optional<HistoryRun> parseRun(QStringView started, QStringView ended, QStringView frontEnd, bool cancelled,
                                   QString& error)
{
    HistoryRun run;
    const std::optional<QDateTime> start = timeFrom(started);
    const std::optional<QDateTime> end = ended.isEmpty() ? std::optional(QDateTime()) : timeFrom(ended);
    const std::optional<FrontEnd> front = frontEndFrom(frontEnd);
    if (!start || !end) {
        error = u"not a time in UTC: %1"_s.arg(!start ? started : ended);
        return std::nullopt;
    }
    if (!front) {
        error = u"no such front end: %1"_s.arg(frontEnd);
        return std::nullopt;
    }
    run.started = *start;
    run.ended = *end;
    run.frontEnd = *front;
    run.cancelled = cancelled;
    return run;
}

bool readCsv(QIODevice& in, const HistoryStore::RunVisitor& visit, QString& error)
{
    const std::optional<QStringList> header = readCsvRecord(in);
    if (!header || header->join(u',') + u'\n' != QString::fromLatin1(csvHeader)) {
        error = u"line 1: not a Brenlow history (the header is not %1)"_s.arg(QString::fromLatin1(csvHeader.trimmed()));
        return false;
    }
    RunBuilder builder(visit);
    for (qint64 line = 2;; ++line) {
        const std::optional<QStringList> record = readCsvRecord(in);
        if (!record)
            break;
        const QStringList& f = *record;
        const auto lineError = [&](const QString& what) {
            error = u"line %1: %2"_s.arg(line).arg(what);
            return false;
        };
        if (f.size() == 1 && f[0].isEmpty())
            continue;
        if (f.size() != CsvFields)
            return lineError(u"%1 fields where there should be %2"_s.arg(f.size()).arg(CsvFields));
        if (f[3] != u"true" && f[3] != u"false")
            return lineError(u"cancelled is neither true nor false: %1"_s.arg(f[3]));
        const std::optional<HistoryRun> run = parseRun(f[0], f[1], f[2], f[3] == u"true", error);
        if (!run)
            return lineError(error);
        if (!builder.startRun(*run)) {
            error = u"line %1: the history could not take it"_s.arg(line);
            return false;
        }
        if (f[4].isEmpty() && f[5].isEmpty())
            continue;
        std::optional<qint64> count;
        if (!f[7].isEmpty()) {
            bool ok = false;
            count = f[7].toLongLong(&ok);
            if (!ok || *count < 0)
                return lineError(u"not a count: %1"_s.arg(f[7]));
        }
        const std::optional<ParsedFetch> fetch = parseFetch(f[4], f[5], f[6], count, f[8], f[9], error);
        if (!fetch)
            return lineError(error);
        builder.addFetch(fetch->domain, fetch->engine, fetch->fetch);
    }
    if (!builder.finish()) {
        error = u"the history could not take the last run"_s;
        return false;
    }
    return true;
}

bool readJson(QIODevice& in, const HistoryStore::RunVisitor& visit, QString& error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(in.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        error = u"at byte %1: %2"_s.arg(parseError.offset).arg(parseError.errorString());
        return false;
    }
    const QJsonObject root = document.object();
    if (root.value(u"brenlowHistory"_s).toInt() != 1 || !root.value(u"runs"_s).isArray()) {
        error = u"not a Brenlow history"_s;
        return false;
    }
    const QJsonArray runs = root.value(u"runs"_s).toArray();
    for (qsizetype i = 0; i < runs.size(); ++i) {
        const QJsonObject r = runs[i].toObject();
        const auto runError = [&](const QString& what) {
            error = u"run %1: %2"_s.arg(i + 1).arg(what);
            return false;
        };
        std::optional<HistoryRun> run =
            parseRun(r.value(u"started"_s).toString(), r.value(u"ended"_s).toString(),
                     r.value(u"frontEnd"_s).toString(), r.value(u"cancelled"_s).toBool(), error);
        if (!run)
            return runError(error);
        RunBuilder builder(visit);
        builder.startRun(*run);
        for (const QJsonValue& value : r.value(u"fetches"_s).toArray()) {
            const QJsonObject f = value.toObject();
            std::optional<qint64> count;
            if (f.contains(u"count"_s)) {
                const double number = f.value(u"count"_s).toDouble(-1);
                if (number < 0 || number != static_cast<double>(static_cast<qint64>(number)))
                    return runError(u"not a count: %1"_s.arg(number));
                count = static_cast<qint64>(number);
            }
            const std::optional<ParsedFetch> fetch = parseFetch(
                f.value(u"domain"_s).toString(), f.value(u"engine"_s).toString(), f.value(u"at"_s).toString(), count,
                f.value(u"failure"_s).toString(), f.value(u"detail"_s).toString(), error);
            if (!fetch)
                return runError(error);
            builder.addFetch(fetch->domain, fetch->engine, fetch->fetch);
        }
        if (!builder.finish())
            return runError(u"the history could not take it"_s);
    }
    return true;
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

bool HistoryWriter::write(const HistoryRun& run)
{
    const QByteArray started = timeBytes(run.started);
    const QByteArray ended = timeBytes(run.ended);
    const QByteArray frontEnd = frontEndName(run.frontEnd).toLatin1();
    const char* cancelled = run.cancelled ? "true" : "false";
    QByteArray out;
    if (m_format == HistoryFormat::Csv) {
        if (m_first)
            out += csvHeader;
        const QByteArray runFields = started + ',' + ended + ',' + frontEnd + ',' + cancelled + ',';
        bool any = false;
        for (const DomainFetches& fetches : run.domains) {
            const QByteArray domain = csvField(historyDomainText(fetches.domain).toUtf8()) + ',';
            for (std::size_t i = 0; i < EngineCount; ++i) {
                const HistoryFetch& fetch = fetches.engines[i];
                if (!fetch.made())
                    continue;
                any = true;
                out += runFields + domain + engineNames()[i] + ',' + timeBytes(fetch.at) + ',';
                if (fetch.count)
                    out += QByteArray::number(*fetch.count) + ",,\n";
                else
                    out += ',' + failureKindName(fetch.failure.kind).toLatin1() + ',' +
                           csvField(failureDetailText(fetch.failure).toUtf8()) + '\n';
            }
        }
        if (!any)
            out += runFields + ",,,,,\n";
    } else {
        out += m_first ? "{\"brenlowHistory\":1,\"runs\":[\n{\"started\":\"" : ",\n{\"started\":\"";
        out += started + "\",\"ended\":" + (run.ended.isValid() ? '"' + ended + '"' : "null"_ba) + ",\"frontEnd\":\"" +
               frontEnd + "\",\"cancelled\":" + cancelled + ",\"fetches\":[";
        bool first = true;
        for (const DomainFetches& fetches : run.domains) {
            const QByteArray domain = jsonString(historyDomainText(fetches.domain));
            for (std::size_t i = 0; i < EngineCount; ++i) {
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
                out += '}';
            }
        }
        out += "]}";
    }
    m_first = false;
    return put(out);
}

bool HistoryWriter::finish()
{
    if (m_format == HistoryFormat::Csv)
        return m_first ? put(csvHeader) : m_ok;
    return put(m_first ? "{\"brenlowHistory\":1,\"runs\":[]}\n"_ba : "\n]}\n"_ba);
}

bool readHistoryFile(QIODevice& in, HistoryFormat format, const HistoryStore::RunVisitor& visit, QString& error)
{
    return format == HistoryFormat::Csv ? readCsv(in, visit, error) : readJson(in, visit, error);
}

bool exportHistory(HistoryStore& store, QIODevice& out, HistoryFormat format, QString& error)
{
    HistoryWriter writer(out, format);
    if (!store.visitRuns([&writer](const HistoryRun& run) { return writer.write(run); })) {
        error = store.problemText();
        return false;
    }
    if (!writer.finish()) {
        error = out.errorString();
        return false;
    }
    return true;
}

std::optional<qint64> importHistory(HistoryStore& store, QIODevice& in, HistoryFormat format, QString& error)
{
    QString readError;
    const std::optional<qint64> added =
        store.import([&](const HistoryStore::RunVisitor& add) { return readHistoryFile(in, format, add, readError); });
    if (!added)
        error = store.problem() != HistoryProblem::None ? store.problemText() : readError;
    return added;
}
