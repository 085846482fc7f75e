#include "history/historyfilefields.h"
#include "history/historygraphfields.h"
#include "history/historyimport.h"
#include "history/historyreaders.h"

#include <algorithm>
#include <deque>
#include <vector>

using namespace Qt::StringLiterals;
using namespace historyfile;

namespace {

// A CSV record longer than this is no line of an export; it is refused rather than held.
constexpr qsizetype MaxRecord = 64 * 1024;

// Reads CSV records (RFC 4180: a quoted field may hold commas, doubled quotes and line breaks; lines end with LF
// or CR LF) a physical line at a time, counting lines.
class CsvReader {
public:
    explicit CsvReader(QIODevice& in)
        : m_in(in)
    {
    }

    enum class Result { Record, End, Error };

    // The next record's fields, views into buffers that the next call reuses.
    Result next(std::vector<QByteArrayView>& fields, QString& error)
    {
        fields.clear();
        m_unquoted.clear();
        // The lines of the record: it ends at a line end outside quotes, where its quotes are even in number.
        m_record.resize(0);
        qsizetype quotes = 0;
        for (;;) {
            if (!readLine()) {
                if (m_line.size() > MaxRecord) {
                    error = u"line %1: longer than %2 bytes"_s.arg(m_lineNumber + 1).arg(MaxRecord);
                    return Result::Error;
                }
                if (m_record.isEmpty())
                    return Result::End;
                error = u"line %1: the file ends inside a quoted field"_s.arg(m_lineNumber);
                return Result::Error;
            }
            ++m_lineNumber;
            m_record += m_line;
            if (m_record.size() > MaxRecord) {
                error = u"line %1: a record longer than %2 bytes"_s.arg(m_lineNumber).arg(MaxRecord);
                return Result::Error;
            }
            quotes += m_line.count('"');
            if (quotes % 2 == 0)
                break;
        }
        QByteArrayView record(m_record);
        if (record.endsWith('\n'))
            record.chop(1);
        if (record.endsWith('\r'))
            record.chop(1);

        // A field without quotes is a view of the record; a quoted one is unquoted into a buffer of its own.
        qsizetype at = 0;
        for (;;) {
            if (at < record.size() && record[at] == '"') {
                QByteArray& field = m_unquoted.emplace_back();
                for (++at; at < record.size(); ++at) {
                    if (record[at] != '"')
                        field += record[at];
                    else if (at + 1 < record.size() && record[at + 1] == '"')
                        field += record[++at];
                    else
                        break;
                }
                const qsizetype comma = record.indexOf(',', at);
                field += record.sliced(at + 1, (comma < 0 ? record.size() : comma) - at - 1).toByteArray();
                fields.emplace_back(field);
                at = comma;
            } else {
                const qsizetype comma = record.indexOf(',', at);
                fields.push_back(record.sliced(at, (comma < 0 ? record.size() : comma) - at));
                at = comma;
            }
            if (at < 0)
                return Result::Record;
            ++at;
        }
    }

    qint64 line() const { return m_lineNumber; }

private:
    // The next physical line into m_line, its line end included; false at the end of the file or for a line
    // longer than MaxRecord. A sequential device may give a line in pieces.
    bool readLine()
    {
        m_line.resize(0);
        for (;;) {
            const qsizetype at = m_line.size();
            m_line.resize(MaxRecord + 2);
            const qint64 length = m_in.readLine(m_line.data() + at, MaxRecord + 2 - at);
            m_line.resize(at + std::max<qint64>(length, 0));
            if (m_line.size() > MaxRecord)
                return false;
            if (length <= 0 || m_line.endsWith('\n') || m_in.atEnd())
                return !m_line.isEmpty();
        }
    }

    QIODevice& m_in;
    QByteArray m_line;
    QByteArray m_record;
    std::deque<QByteArray> m_unquoted; // stays put while it grows, so that views of it hold
    qint64 m_lineNumber = 0;
};

// A record's fields joined by commas again, to be compared with a header.
QByteArray joined(const std::vector<QByteArrayView>& fields)
{
    QByteArray line;
    for (const QByteArrayView field : fields)
        line += (line.isEmpty() ? "" : ",") + field.toByteArray();
    return line;
}

// Whether the fields from first on are all empty, as those of a run without fetches or a release alone.
bool emptyFrom(const std::vector<QByteArrayView>& fields, std::size_t first)
{
    return std::all_of(fields.begin() + qsizetype(first), fields.end(),
                       [](QByteArrayView field) { return field.isEmpty(); });
}

} // namespace

bool readHistoryCsv(QIODevice& in, HistoryImport& import, const StopRequested& stop)
{
    CsvReader reader(in);
    std::vector<QByteArrayView> f;
    QString error;
    const CsvReader::Result first = reader.next(f, error);
    const QByteArray header = joined(f);
    const bool version1 = header == csvHeaderVersion1;
    const bool version2 = header == csvHeaderVersion2;
    if (first == CsvReader::Result::Error) {
        import.refuse(error);
        return false;
    }
    if (header != csvHeader && !version1 && !version2) {
        import.refuse(u"line 1: not a Brenlow history (the header is not %1)"_s.arg(QString::fromLatin1(csvHeader)));
        return false;
    }
    const std::size_t runFields = version1 ? 10 : version2 ? 11 : 12;
    const auto refuse = [&](const QString& why) {
        import.refuse(u"line %1: %2"_s.arg(reader.line()).arg(why));
        return false;
    };
    // The runs' section, then the web graph's after its own header.
    bool graph = false;
    for (;;) {
        if (stop && stop()) {
            import.refuse(u"interrupted"_s);
            return false;
        }
        const CsvReader::Result result = reader.next(f, error);
        if (result == CsvReader::Result::End)
            return true;
        if (result == CsvReader::Result::Error) {
            import.refuse(error);
            return false;
        }
        if (f.size() == 1 && f[0].isEmpty())
            continue;
        if (!graph && f.size() == std::size_t(CsvGraphFields) && joined(f) == csvGraphHeader) {
            graph = true;
            continue;
        }
        const std::size_t fields = graph ? std::size_t(CsvGraphFields) : runFields;
        if (f.size() != fields)
            return refuse(u"%1 fields where there should be %2"_s.arg(f.size()).arg(fields));
        if (graph) {
            // The release's fields, then the figures'.
            const std::optional<GraphRelease> release = parseGraphRelease(f[0], f[1], f[2], f[3], error);
            if (!release)
                return refuse(error);
            if (emptyFrom(f, 4)) {
                if (!import.addGraphRelease(*release))
                    return false;
                continue;
            }
            const auto figures =
                parseGraphFigures({f[4], f[5], f[6], f[7], f[8], f[9], f[10], f[11], f[12], f[13]}, error);
            if (!figures)
                return refuse(error);
            if (!import.addGraphFigures(*release, figures->first, figures->second))
                return false;
            continue;
        }
        // The run's fields, then the fetch's.
        const std::size_t r = version1 ? 0 : 1;
        const std::optional<HistoryRun> run =
            parseRun(version1 ? QByteArrayView() : f[0], f[r], f[r + 1], f[r + 2], f[r + 3], error);
        if (!run)
            return refuse(error);
        if (!version1 && f[0].isEmpty())
            return refuse(u"no run identity"_s);
        const std::size_t k = r + 4;
        if (emptyFrom(f, k)) {
            if (!import.addRun(*run, reader.line()))
                return false;
            continue;
        }
        const std::optional<ParsedFetch> fetch = parseFetch(f[k], f[k + 1], f[k + 2], f[k + 3], f[k + 4], f[k + 5],
                                                            fields == 12 ? f[k + 6] : QByteArrayView(), error);
        if (!fetch)
            return refuse(error);
        if (!import.addFetch(*run, fetch->domain, fetch->engine, fetch->fetch, reader.line()))
            return false;
    }
}
