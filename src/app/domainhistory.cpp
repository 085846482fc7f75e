#include "app/domainhistory.h"

#include "domains/outputfile.h"

#include <QDir>

#include <algorithm>

using namespace Qt::StringLiterals;

std::optional<DomainHistory> DomainHistory::read(const QString& listFilePath, const QByteArray& domain,
                                                 QString& problem)
{
    HistoryStore store(listFilePath);
    if (!store.open(HistoryStore::Mode::Read)) {
        problem = store.problemText();
        return std::nullopt;
    }
    const QList<HistoryRun> runs = store.runs({domain});
    if (store.problem() != HistoryProblem::None) {
        problem = store.problemText();
        return std::nullopt;
    }
    DomainHistory history;
    history.domain = domain;
    history.runs.reserve(runs.size());
    for (auto run = runs.crbegin(); run != runs.crend(); ++run) {
        const auto fetches = std::find_if(run->domains.cbegin(), run->domains.cend(),
                                          [&](const DomainFetches& fetches) { return fetches.domain == domain; });
        if (fetches == run->domains.cend())
            continue;
        DomainRun shown{run->started, run->ended, run->frontEnd, run->cancelled, fetches->engines, std::nullopt};
        // The row's Total after the run, the counts it kept where a fetch failed included.
        for (const HistoryFetch& fetch : fetches->engines) {
            if (const std::optional<qint64> count = fetch.shown())
                shown.total = shown.total.value_or(0) + *count;
        }
        history.runs.append(std::move(shown));
    }
    const bool graphRead = store.visitGraphFigures(
        {domain}, [&history](const QByteArray&, const GraphRelease& release, const GraphFigures& figures) {
            history.graph.append({release, figures});
        });
    if (!graphRead) {
        problem = store.problemText();
        return std::nullopt;
    }
    return history;
}

bool exportHistoryFile(const QString& listFilePath, const QString& fileName, HistoryFormat format, QString& error)
{
    HistoryStore store(listFilePath);
    if (!store.open(HistoryStore::Mode::Read)) {
        error = store.problemText();
        return false;
    }
    const QString shownName = QDir::toNativeSeparators(fileName);
    // A failed export leaves whatever was at fileName before, never half a file; a FIFO or a device is written
    // into.
    OutputFile file(fileName);
    if (!file.open()) {
        error = u"%1 cannot be written: %2"_s.arg(shownName, file.errorString());
        return false;
    }
    if (!exportHistory(store, file.device(), format, error)) {
        file.cancel();
        return false;
    }
    if (!file.commit()) {
        error = u"%1 could not be written: %2"_s.arg(shownName, file.errorString());
        return false;
    }
    return true;
}
