#include "cli/historyrows.h"

#include "cli/rowoutput.h"
#include "cli/terminaltext.h"
#include "engine/bytetext.h"
#include "engine/counttext.h"
#include "engine/timetext.h"
#include "history/historyfile.h"
#include "history/historyfilefields.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace historyrows {

// Every line, runs oldest first and the domains of a run in the order of their bytes; visit returns false to
// stop. False when the history could not be read to the end.
bool visitRows(HistoryStore& store, const QList<QByteArray>& domains, const QDateTime& since, const QDateTime& until,
               const std::function<bool(const HistoryRow&)>& visit)
{
    return store.visitRuns(
        [&](const HistoryRun& run) {
            QList<const DomainFetches*> sorted;
            for (const DomainFetches& fetches : run.domains)
                sorted.append(&fetches);
            std::sort(sorted.begin(), sorted.end(), [](auto a, auto b) { return a->domain < b->domain; });
            return std::all_of(sorted.cbegin(), sorted.cend(), [&](const DomainFetches* fetches) {
                return visit(HistoryRow{run, *fetches});
            });
        },
        domains, since, until);
}

// The columns' titles in a table, and their names in tsv and csv, which are json's members.
QStringList headerTexts(bool titles)
{
    QStringList texts = titles ? QStringList{u"Started"_s, u"Domain"_s, u"Total"_s}
                               : QStringList{u"started"_s, u"domain"_s, u"total"_s};
    for (const EngineDefinition& engine : engineDefinitions())
        texts.append(engine.name.toString());
    return texts;
}

// A table shows the start in local time and counts as the window does; a fetch that failed says so, with the
// count its row kept; one that was not made (the run was cancelled first) is a dash.
QStringList tableTexts(const HistoryRow& row, const CountText& counts)
{
    QStringList texts{historyTimeText(counts.locale(), row.run.started),
                      printableText(textFromBytes(row.fetches.domain)), counts.format(row.total())};
    for (const HistoryFetch& fetch : row.fetches.engines)
        texts.append(fetch.count    ? counts.format(*fetch.count)
                     : fetch.kept   ? u"%1 (kept)"_s.arg(counts.format(*fetch.kept))
                     : fetch.made() ? u"failed"_s
                                    : u"-"_s);
    return texts;
}

// For scripts: the start in UTC, the domain as the list holds it, counts as plain digits, a count that is missing
// empty.
QList<QByteArray> separatedFields(const HistoryRow& row)
{
    QList<QByteArray> fields{historyfile::timeBytes(row.run.started), row.fetches.domain,
                             QByteArray::number(row.total())};
    for (const HistoryFetch& fetch : row.fetches.engines)
        fields.append(fetch.count ? QByteArray::number(*fetch.count) : QByteArray());
    return fields;
}

// A missing count is null; "failures" tells, by engine, why a fetch failed and the count its row kept.
nlohmann::json jsonRecord(const HistoryRow& row)
{
    nlohmann::json record{{"started", historyfile::timeBytes(row.run.started).toStdString()},
                          {"domain", jsonText(row.fetches.domain).toStdString()},
                          {"total", row.total()}};
    nlohmann::json failures = nlohmann::json::object();
    for (qsizetype engine = 0; engine < row.fetches.engines.size(); ++engine) {
        const HistoryFetch& fetch = row.fetches.engines[engine];
        const std::string name = engineDefinitions()[std::size_t(engine)].name.toString().toStdString();
        record[name] = jsonCount(fetch.count);
        if (fetch.made() && !fetch.count) {
            nlohmann::json failure{{"failure", failureKindName(fetch.failure.kind).toStdString()},
                                   {"detail", failureDetailText(fetch.failure).toStdString()}};
            if (fetch.kept)
                failure["kept"] = *fetch.kept;
            failures[name] = failure;
        }
    }
    record["failures"] = failures;
    return record;
}

} // namespace historyrows
