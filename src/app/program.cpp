#include "app/program.h"

#include "app/apptitle.h"
#include "app/mainwindow.h"
#include "domains/listlocation.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QSessionManager>

using namespace Qt::StringLiterals;

Program::Program(ProgramOptions options)
    : m_countText(options.locale.value_or(CountText::userLocale()))
    , m_domains(options.listFilePath.isEmpty() ? listFilePath(QCoreApplication::applicationDirPath())
                                               : options.listFilePath)
    , m_lock(m_domains.filePath())
    , m_pump([] { QCoreApplication::processEvents(); })
    , m_socketHost(posixSocketFactory(m_pump, std::move(options.socketSettings)), m_pump)
    , m_fetcher(m_socketHost, m_busyPointer, m_pump)
    , m_qtDialogs(ApplicationTitle)
    , m_dialogs(options.dialogs ? options.dialogs : &m_qtDialogs)
    , m_terminationSignals([this](int) { endOnRequest(); })
{
    BrowserOpener& browser = options.browser ? *options.browser : m_qtBrowser;
    m_frmMain = std::make_unique<MainWindow>(MainWindowParts{m_engines, m_domains, m_fetcher, m_countText, *m_dialogs,
                                                             browser, QFileInfo(m_domains.filePath()).absolutePath()});
    m_qtDialogs.setOwner(m_frmMain.get());
    QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, m_frmMain.get(),
                     [this](QSessionManager&) { endOnRequest(); });
}

Program::~Program() = default;

bool Program::start()
{
    // A lock that cannot be made at all leaves a folder where the list cannot be saved either; the load or the
    // save at exit tells the user then.
    if (m_lock.lock() == ListLock::Result::InUse) {
        m_dialogs->message(u"The domain list %1 is already open in another Brenlow (%2).\n\nUse that one, or close it "
                           u"and start Brenlow again."_s.arg(m_domains.filePath(), m_lock.holder()));
        return false;
    }
    m_frmMain->Form_Load();
    m_frmMain->show();
    return true;
}

void Program::endOnRequest()
{
    m_frmMain->close();
}
