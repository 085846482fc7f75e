#include "cli/listsession.h"

#include <QCoreApplication>
#include <QFileInfo>

using namespace Qt::StringLiterals;

ListSession::ListSession(const QString& listFile, SocketSettings socketSettings, const Console& console)
    : m_console(console)
    , m_countText(CountText::userLocale())
    , m_domains(listFile)
    , m_lock(listFile)
    , m_grid(m_cells, m_domains, m_engines, m_countText)
    , m_pump([] { QCoreApplication::processEvents(); })
    , m_socketHost(posixSocketFactory(m_pump, std::move(socketSettings)), m_pump)
    , m_fetcher(m_socketHost, *this, m_pump)
    , m_runControls(console, m_engines)
    , m_run(m_cells, m_fetcher, m_engines, m_countText, m_runControls)
    , m_editor(m_grid, m_domains, *this, QFileInfo(listFile).absolutePath())
    , m_terminationSignals([this](int signal) {
        m_signal = signal;
        m_fetcher.requestCancel();
    })
{
    m_engines.InitGridHeaders();
    m_engines.InitEngineCatalogue();
}

bool ListSession::open(bool forSaving)
{
    const QString file = m_domains.filePath();
    switch (m_lock.lock()) {
    case ListLock::Result::Locked:
        break;
    case ListLock::Result::InUse:
        m_console.error(u"the domain list %1 is in use by another Brenlow (%2)"_s.arg(file, m_lock.holder()));
        return false;
    case ListLock::Result::Failed:
        if (forSaving) {
            m_console.error(u"the domain list %1 cannot be locked: %2"_s.arg(file, m_lock.errorString()));
            return false;
        }
        break;
    }
    switch (m_domains.LoadDomainList(m_engines.GridHeaders())) {
    case DomainList::LoadResult::Loaded:
    case DomainList::LoadResult::CreatedDefault:
        break;
    case DomainList::LoadResult::Unreadable:
        m_console.error(u"the domain list %1 cannot be read: %2"_s.arg(file, m_domains.errorString()));
        return false;
    case DomainList::LoadResult::FolderUnreadable:
        m_console.error(
            u"the folder that holds the domain list %1 cannot be read: %2"_s.arg(file, m_domains.errorString()));
        return false;
    case DomainList::LoadResult::DefaultNotSaved:
        m_console.error(u"the domain list %1 could not be created: %2"_s.arg(file, m_domains.errorString()));
        return false;
    }
    m_grid.SetupUrlsGrid();
    m_grid.DisplayUrlsData();
    m_cells.makeCurrent(1, 0);
    return true;
}

bool ListSession::save()
{
    m_grid.CaptureUrlsData();
    if (m_domains.SaveDomainList())
        return true;
    m_console.error(
        u"the domain list could not be saved to %1: %2"_s.arg(m_domains.filePath(), m_domains.errorString()));
    return false;
}
