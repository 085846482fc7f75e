#include "workflows/listsession.h"

#include "engine/bytetext.h"
#include "history/latestgraphfigures.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <unistd.h>

using namespace Qt::StringLiterals;

ListSession::ListSession(SessionOptions options)
    : m_countText(options.locale)
    , m_engines(EngineTables::initialised())
    , m_domains(options.listFilePath)
    , m_historyListPath(options.listFilePath)
    , m_lock(options.listFilePath)
    , m_history(options.listFilePath)
    , m_historyThread(options.listFilePath, options.historyFreeSpace)
    , m_busyPointer(options.busyPointer)
    , m_pump(std::move(options.pump))
    , m_socketHost(posixSocketFactory(m_pump, std::move(options.socketSettings)), m_pump)
    , m_fetcher(m_socketHost, *this, m_pump, options.fetchLimits)
    , m_sources(m_engines, m_fetcher)
    , m_recorder(m_historyThread, options.frontEnd, std::move(options.historyNotKept))
    , m_newList(options.newList)
    , m_recordsRuns(options.recordsRuns)
{
    if (options.historyFreeSpace)
        m_history.setFreeSpace(options.historyFreeSpace);
}

void ListSession::showIn(UpdateRunControls& runControls, GridControl* grid)
{
    m_grid.emplace(grid, m_domains, m_engines, m_countText);
    m_runControls = &runControls;
    m_run.emplace(*m_grid, m_sources, m_fetcher, static_cast<UpdateRunControls&>(*this));
    m_editor.emplace(*m_grid, m_domains);
}

bool ListSession::lock(bool required)
{
    switch (m_lock.lock()) {
    case ListLock::Result::Locked:
        // Only the holder of the lock writes the history; its problems are told when a run would record.
        m_lockHeld = true;
        if (m_recordsRuns)
            m_historyThread.start();
        return true;
    case ListLock::Result::InUse:
        m_lockHolder = m_lock.holder();
        return fail(ListProblem::InUse);
    case ListLock::Result::Failed:
        // A folder where no lock can be made is one where the list cannot be saved either; a session that only
        // reads goes on, and one that saves finds out when it saves. Its runs are not recorded.
        m_history.refuseWriting(m_lock.errorString());
        m_historyThread.refuse(m_lock.errorString());
        m_lockError = m_lock.errorString();
        return !required || fail(ListProblem::NotLockable);
    }
    return true;
}

bool ListSession::load()
{
    const DomainList::LoadResult result = m_domains.LoadDomainList(m_newList);
    showGraphFigures();
    m_grid->SetupUrlsGrid();
    m_grid->DisplayUrlsData();
    if (GridControl* grid = m_grid->grid())
        grid->makeCurrent(1, 0);
    switch (result) {
    case DomainList::LoadResult::Loaded:
    case DomainList::LoadResult::CreatedDefault:
        return true;
    case DomainList::LoadResult::Unreadable:
        return fail(ListProblem::Unreadable);
    case DomainList::LoadResult::FolderUnreadable:
        return fail(ListProblem::FolderUnreadable);
    case DomainList::LoadResult::NotAFile:
        return fail(ListProblem::NotAFile);
    case DomainList::LoadResult::DefaultNotSaved:
        return fail(ListProblem::NotCreated);
    }
    return true;
}

void ListSession::showGraphFigures()
{
    // Only a window shows them; the command line reads them when a command asks.
    if (!m_grid->grid())
        return;
    HistoryStore reader(m_historyListPath);
    std::optional<QHash<QByteArray, LatestGraphFigures>> latest;
    if (reader.open(HistoryStore::Mode::Read))
        latest = latestGraphFigures(reader);
    m_grid->setGraphFigures(latest.value_or(QHash<QByteArray, LatestGraphFigures>()));
}

bool ListSession::keepGraphFigures(const GraphRelease& release,
                                   const QList<std::pair<QByteArray, GraphFigures>>& figures)
{
    if (!history().recordGraphRelease(release, figures))
        return false;
    showGraphFigures();
    return true;
}

bool ListSession::save()
{
    m_grid->CaptureUrlsData();
    return saveChanges();
}

bool ListSession::saveChanges()
{
    return m_domains.SaveDomainList() || fail(ListProblem::NotSaved);
}

bool ListSession::checkWritable()
{
    const QFileInfo list(m_domains.filePath());
    const QByteArray folder = QFile::encodeName(list.absolutePath());
    const QByteArray file = QFile::encodeName(list.absoluteFilePath());
    if (::access(folder.constData(), W_OK) == 0 && (!list.exists() || ::access(file.constData(), W_OK) == 0))
        return true;
    m_writeError = errno;
    return fail(ListProblem::NotWritable);
}

bool ListSession::fail(ListProblem problem, const QString& file)
{
    m_problem = problem;
    m_problemFile = file.isEmpty() ? m_domains.filePath() : file;
    return false;
}

QString ListSession::problemText() const
{
    const QString& file = m_problemFile;
    switch (m_problem) {
    case ListProblem::None:
        break;
    case ListProblem::InUse:
        return u"the domain list %1 is already open in another Brenlow (%2)"_s.arg(file, m_lockHolder);
    case ListProblem::NotLockable:
        return u"the domain list %1 cannot be locked: %2"_s.arg(file, m_lockError);
    case ListProblem::Unreadable:
        return u"the domain list %1 cannot be read: %2"_s.arg(file, m_domains.errorString());
    case ListProblem::FolderUnreadable:
        return u"the folder that holds the domain list %1 cannot be read: %2"_s.arg(file, m_domains.errorString());
    case ListProblem::NotAFile:
        return u"the domain list %1"_s.arg(m_domains.errorString());
    case ListProblem::NotCreated:
        return u"the domain list %1 could not be created: %2"_s.arg(file, m_domains.errorString());
    case ListProblem::NotWritable:
        return u"the domain list %1 cannot be written: %2"_s.arg(file,
                                                                 QString::fromLocal8Bit(std::strerror(m_writeError)));
    case ListProblem::NotSaved:
        return u"the domain list could not be saved to %1: %2"_s.arg(file, m_domains.errorString());
    }
    return {};
}

HistoryStore& ListSession::history()
{
    // After the runs' thread has opened the history: the first to open a new file makes its schema.
    if (m_lockHeld && !m_history.isOpen() && m_history.problem() == HistoryProblem::None) {
        m_historyThread.problem();
        m_history.open(HistoryStore::Mode::Write);
    }
    return m_history;
}

void ListSession::setBusy(bool busy)
{
    if (m_busyPointer)
        m_busyPointer->setBusy(busy);
}

QList<FetchReport> ListSession::lastFailedFetches() const
{
    QList<QByteArray> domains;
    for (int record = 1; record <= m_domains.count(); ++record)
        domains.append(m_domains.domain(record).toByteArray());
    QList<FetchReport> failed;
    HistoryStore history(m_historyListPath);
    if (!history.open(HistoryStore::Mode::Read))
        return failed;
    history.lastFetches(domains, [&](const QByteArray& domain, int engine, const HistoryFetch& fetch) {
        if (!fetch.count)
            failed.append({m_domains.findDomain(textFromBytes(domain)),
                           engine,
                           domain,
                           fetch.at,
                           {},
                           fetch.failure,
                           {},
                           fetch.kept});
    });
    return failed;
}

void ListSession::enterRunningState()
{
    m_recorder.runStarted();
    m_runControls->enterRunningState();
}

void ListSession::leaveRunningState()
{
    m_recorder.runEnded(m_run->lastRun().ended, m_run->lastRun().cancelled);
    m_runControls->leaveRunningState();
    m_recorder.tellProblem();
}

void ListSession::showProgress(qint64 step, qint64 steps)
{
    m_runControls->showProgress(step, steps);
}

void ListSession::fetchEnded(const FetchReport& report)
{
    m_recorder.fetched(report.row, report.domain, report.engine,
                       {report.at, report.count, report.failure, report.kept});
    m_runControls->fetchEnded(report);
}
