#include "workflows/historyfile.h"

#include "engine/enginecatalogue.h"
#include "workflows/historyfilefields.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

using namespace Qt::StringLiterals;
using namespace historyfile;

namespace {

std::optional<QDateTime> timeFrom(QStringView text)
{
    QDateTime time = QDateTime::fromString(text.toString(), Qt::ISODateWithMs);
    if (!time.isValid() || time.timeSpec() != Qt::UTC)
        return std::nullopt;
    return time;
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

bool readHistoryFile(QIODevice& in, HistoryFormat format, const HistoryStore::RunVisitor& visit, QString& error)
{
    return format == HistoryFormat::Csv ? readCsv(in, visit, error) : readJson(in, visit, error);
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
