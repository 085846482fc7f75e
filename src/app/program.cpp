#include "app/program.h"

#include "app/apptitle.h"
#include "app/mainwindow.h"

#include <QCoreApplication>

Program::Program(ProgramOptions options)
    : m_countText(options.locale.value_or(CountText::userLocale()))
    , m_domains(options.listFilePath.isEmpty() ? defaultListFilePath() : options.listFilePath)
    , m_pump([] { QCoreApplication::processEvents(); })
    , m_socketHost(posixSocketFactory(m_pump, std::move(options.socketSettings)), m_pump)
    , m_fetcher(m_socketHost, m_busyPointer, m_pump)
    , m_qtDialogs(ApplicationTitle)
{
    UserDialogs& dialogs = options.dialogs ? *options.dialogs : m_qtDialogs;
    BrowserOpener& browser = options.browser ? *options.browser : m_qtBrowser;
    m_frmMain = std::make_unique<MainWindow>(MainWindowParts{m_engines, m_domains, m_fetcher, m_countText, dialogs,
                                                             browser, QCoreApplication::applicationDirPath()});
    m_qtDialogs.setOwner(m_frmMain.get());
}

Program::~Program() = default;

void Program::start()
{
    m_frmMain->Form_Load();
    m_frmMain->show();
}

QString Program::defaultListFilePath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/brenlow.txt");
}
