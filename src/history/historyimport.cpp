#include "history/historyimport.h"

#include "history/historyfilefields.h"
#include "history/historyschema.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;
using namespace history;

namespace {

// Runs looked up at most before the cache starts again: a file may hold any number.
constexpr qsizetype MaxCachedRuns = 4096;
// Rows written between two looks at the disk's free space, and the room they may take.
constexpr qint64 RowsBetweenRoomChecks = 4096;
constexpr qint64 RoomForRows = 8 * 1024 * 1024;
// Figures of a release kept in one write at most.
constexpr qsizetype GraphFiguresAtOnce = 4096;

QString timeText(const QDateTime& time)
{
    return time.isValid() ? QString::fromLatin1(historyfile::timeBytes(time)) : u"never"_s;
}

// What a run says besides its fetches, for a message: "ended 2026-12-01T12:01:00.000Z".
QString runAttribute(const HistoryRun& run, int which)
{
    switch (which) {
    case 0:
        return u"started %1"_s.arg(timeText(run.started));
    case 1:
        return run.ended.isValid() ? u"ended %1"_s.arg(timeText(run.ended)) : u"unfinished"_s;
    case 2:
        return run.frontEnd == FrontEnd::CommandLine ? u"made by the command line"_s : u"made by the window"_s;
    default:
        return run.cancelled ? u"cancelled"_s : u"not cancelled"_s;
    }
}

// The first attribute in which two runs of one identity differ, in runAttribute()'s order; -1 when they agree.
int differingAttribute(const HistoryRun& a, const HistoryRun& b)
{
    if (a.started != b.started)
        return 0;
    if (a.ended != b.ended)
        return 1;
    if (a.frontEnd != b.frontEnd)
        return 2;
    return a.cancelled != b.cancelled ? 3 : -1;
}

bool sameFetch(const HistoryFetch& a, const HistoryFetch& b)
{
    return a.at == b.at && a.count == b.count &&
           (a.count ||
            (a.failure.kind == b.failure.kind && failureDetailText(a.failure) == failureDetailText(b.failure)));
}

QString fetchText(const HistoryFetch& fetch)
{
    const QString what =
        fetch.count
            ? u"the count %1"_s.arg(*fetch.count)
            : (u"the failure %1 %2"_s.arg(failureKindName(fetch.failure.kind), failureDetailText(fetch.failure)))
                  .trimmed();
    return u"%1 at %2"_s.arg(what, timeText(fetch.at));
}

QString lineText(qint64 line)
{
    return line > 0 ? u"on line %1"_s.arg(line) : u"in the history"_s;
}

} // namespace

HistoryImport::HistoryImport(HistoryStore& store)
    : m_store(store)
{
    if (!m_store.m_open || !m_store.m_writable || m_store.m_runId >= 0) {
        fail(m_store.problem() != HistoryProblem::None ? m_store.problemText() : u"the history is not open"_s);
        return;
    }
    m_madeFile = m_store.m_pending;
    if ((m_store.m_pending && !m_store.create()) || !m_store.exec(u"BEGIN IMMEDIATE"_s)) {
        failInStore();
        return;
    }
    m_store.m_inTransaction = true;
    m_began = true;
    // A larger page cache for the one long transaction, so that it seldom spills to the file before the end;
    // still a bounded amount of memory.
    m_store.exec(u"PRAGMA cache_size = -16384"_s);
}

HistoryImport::~HistoryImport()
{
    abandon();
}

void HistoryImport::abandon()
{
    if (m_began && m_store.m_inTransaction) {
        QSqlQuery(m_store.database()).exec(u"ROLLBACK"_s);
        m_store.m_inTransaction = false;
        m_store.loadDomainIds(); // names added in the transaction are gone again
    }
    m_began = false;
    if (m_madeFile) {
        // The history did not exist before the import: a refused one leaves none, and the next write makes it.
        const bool usable = m_store.m_problem == HistoryProblem::None;
        m_store.close();
        QFile::remove(m_store.m_path);
        m_store.m_pending = m_store.m_open = usable;
        m_madeFile = false;
    }
}

bool HistoryImport::fail(const QString& why)
{
    if (!m_failed) {
        m_failed = true;
        m_error = why;
    }
    return false;
}

bool HistoryImport::failInStore()
{
    return fail(m_store.problemText());
}

void HistoryImport::refuse(const QString& why)
{
    fail(why);
}

const HistoryImport::RunInfo* HistoryImport::findRun(const HistoryRun& run, qint64 line)
{
    const auto cached = m_runs.constFind(run.identity);
    if (cached != m_runs.cend())
        return &*cached;
    if (m_runs.size() >= MaxCachedRuns)
        m_runs.clear();

    QSqlQuery* select =
        m_store.prepared(u"SELECT id, started, ended, front_end, cancelled FROM run WHERE identity = ?"_s);
    if (!select)
        return nullptr;
    select->bindValue(0, run.identity);
    if (!select->exec()) {
        m_store.failWith(select->lastError());
        return nullptr;
    }
    RunInfo info;
    if (select->next()) {
        info.id = select->value(0).toLongLong();
        info.run.identity = run.identity;
        info.run.started = utcFromMs(select->value(1).toLongLong());
        if (!select->isNull(2))
            info.run.ended = utcFromMs(select->value(2).toLongLong());
        info.run.frontEnd =
            select->value(3).toInt() == int(FrontEnd::CommandLine) ? FrontEnd::CommandLine : FrontEnd::Window;
        info.run.cancelled = select->value(4).toInt() != 0;
        select->finish();
        return &*m_runs.insert(run.identity, std::move(info));
    }
    select->finish();

    QSqlQuery* insert =
        m_store.prepared(u"INSERT INTO run(identity, started, ended, front_end, cancelled) VALUES (?, ?, ?, ?, ?)"_s);
    if (!insert)
        return nullptr;
    insert->bindValue(0, run.identity);
    insert->bindValue(1, msSinceEpoch(run.started));
    insert->bindValue(2, run.ended.isValid() ? QVariant(msSinceEpoch(run.ended))
                                             : QVariant(QMetaType::fromType<qint64>()));
    insert->bindValue(3, static_cast<int>(run.frontEnd));
    insert->bindValue(4, run.cancelled ? 1 : 0);
    if (!insert->exec()) {
        m_store.failWith(insert->lastError());
        return nullptr;
    }
    info.id = insert->lastInsertId().toLongLong();
    info.run = run;
    info.run.domains.clear();
    info.line = line;
    return &*m_runs.insert(run.identity, std::move(info));
}

bool HistoryImport::addRun(const HistoryRun& run, qint64 line)
{
    if (m_failed || !m_began)
        return false;
    const RunInfo* known = findRun(run, line);
    if (!known)
        return failInStore();
    const int differs = differingAttribute(run, known->run);
    if (differs >= 0)
        return fail(u"line %1: the run %2 is %3 here but %4 %5"_s.arg(line).arg(
            run.identity, runAttribute(run, differs), runAttribute(known->run, differs), lineText(known->line)));
    return true;
}

bool HistoryImport::addFetch(const HistoryRun& run, const QByteArray& domain, int engine, const HistoryFetch& fetch,
                             qint64 line)
{
    if (!addRun(run, line))
        return false;
    const qint64 runId = m_runs.value(run.identity).id;
    const std::optional<qint64> domainId = m_store.domainId(domain);
    if (!domainId)
        return failInStore();
    if (m_pending.runId != runId || m_pending.domainId != *domainId) {
        if (!flush())
            return false;
        m_pending.runId = runId;
        m_pending.domainId = *domainId;
        m_pending.started = run.started;
        m_pending.domain = domain;
        m_pending.runIdentity = run.identity;
    }
    const auto e = static_cast<std::size_t>(engine);
    if (m_pending.lines[e] > 0) {
        if (sameFetch(m_pending.fetches[e], fetch))
            return true;
        return fail(u"line %1: %2's fetch from %3 in the run %4 is %5 here but %6 on line %7"_s.arg(line)
                        .arg(QString::fromLatin1(domain), engineDefinitions()[e].name.toString(), run.identity,
                             fetchText(fetch), fetchText(m_pending.fetches[e]))
                        .arg(m_pending.lines[e]));
    }
    m_pending.fetches[e] = fetch;
    m_pending.lines[e] = line;
    return true;
}

bool HistoryImport::flush()
{
    if (m_pending.runId < 0)
        return true;
    Pending pending = std::move(m_pending);
    m_pending = {};

    // Most fetches are new to the history: they go in at once, and only one that is there already is read and
    // compared.
    for (int engine = 0; engine < pending.fetches.size(); ++engine) {
        const auto e = qsizetype(engine);
        if (pending.lines[e] == 0)
            continue;
        const std::optional<qint64> source = m_store.sourceId(engine);
        if (!source || !write(pending, *source, pending.fetches[e]))
            return failInStore();
        if (m_lastWriteAdded) {
            ++m_added;
            continue;
        }
        QSqlQuery* query = m_store.prepared(
            u"SELECT at, count, failure, detail FROM fetch WHERE run = ? AND domain = ? AND source = ?"_s);
        if (!query)
            return failInStore();
        query->bindValue(0, pending.runId);
        query->bindValue(1, pending.domainId);
        query->bindValue(2, *source);
        if (!query->exec() || !query->next()) {
            m_store.failWith(query->lastError());
            return failInStore();
        }
        const HistoryFetch held = readFetch(*query, 0, pending.started);
        query->finish();
        if (!sameFetch(held, pending.fetches[e])) {
            return fail(u"line %1: %2's fetch from %3 in the run %4 is %5 there but %6 in the history or earlier in "
                        u"the file"_s.arg(pending.lines[e])
                            .arg(QString::fromLatin1(pending.domain), engineDefinitions()[e].name.toString(),
                                 pending.runIdentity, fetchText(pending.fetches[e]), fetchText(held)));
        }
    }
    return roomChecked();
}

bool HistoryImport::write(const Pending& row, qint64 source, const HistoryFetch& fetch)
{
    QSqlQuery* insert = m_store.prepared(u"INSERT OR IGNORE INTO fetch(run, domain, source, at, count, failure, "
                                         u"detail) VALUES (?, ?, ?, ?, ?, ?, ?)"_s);
    if (!insert)
        return false;
    insert->bindValue(0, row.runId);
    insert->bindValue(1, row.domainId);
    insert->bindValue(2, source);
    bindFetch(*insert, 3, row.started, fetch);
    if (!insert->exec())
        return m_store.failWith(insert->lastError());
    m_lastWriteAdded = insert->numRowsAffected() > 0;
    insert->finish();
    return true;
}

bool HistoryImport::addGraphRelease(const GraphRelease& release)
{
    if (m_failed || !m_began)
        return false;
    if (m_graphRelease && m_graphRelease->id != release.id && !flushGraph())
        return false;
    if (!m_graphRelease)
        m_graphRelease = release;
    return true;
}

bool HistoryImport::addGraphFigures(const GraphRelease& release, const QByteArray& domain, const GraphFigures& figures)
{
    if (!addGraphRelease(release))
        return false;
    m_graphFigures.append({domain, figures});
    return m_graphFigures.size() < GraphFiguresAtOnce || flushGraph();
}

bool HistoryImport::flushGraph()
{
    if (!m_graphRelease)
        return true;
    const GraphRelease release = *std::exchange(m_graphRelease, std::nullopt);
    const QList<std::pair<QByteArray, GraphFigures>> figures = std::exchange(m_graphFigures, {});
    if (m_store.recordGraphRelease(release, figures))
        return true;
    // Within the import's transaction, a disk without room only says so.
    if (m_store.problem() == HistoryProblem::None)
        m_store.fail(HistoryProblem::DiskFull);
    return failInStore();
}

bool HistoryImport::roomChecked()
{
    // An import is whole or not at all: a disk without room for the rest takes it all back.
    if (++m_flushes % RowsBetweenRoomChecks == 0 && !m_store.ensureRoom(RoomForRows)) {
        m_store.fail(HistoryProblem::DiskFull);
        return failInStore();
    }
    return true;
}

std::optional<qint64> HistoryImport::finish()
{
    if (!m_failed && m_began && flush() && flushGraph()) {
        if (m_store.exec(u"COMMIT"_s)) {
            m_store.m_inTransaction = false;
            m_began = false;
            m_madeFile = false;
            return m_added;
        }
        failInStore();
    }
    abandon();
    return std::nullopt;
}

std::optional<qint64> HistoryStore::import(const QList<HistoryRun>& runs, QString& error)
{
    HistoryImport import(*this);
    qint64 line = 0;
    for (const HistoryRun& run : runs) {
        ++line;
        bool taken = import.addRun(run, line);
        for (const DomainFetches& fetches : run.domains) {
            for (int engine = 0; taken && engine < fetches.engines.size(); ++engine) {
                const HistoryFetch& fetch = fetches.engines[engine];
                taken = !fetch.made() || import.addFetch(run, fetches.domain, engine, fetch, line);
            }
        }
    }
    const std::optional<qint64> added = import.finish();
    if (!added)
        error = import.error();
    return added;
}
