#include "app/program.h"

#include "app/apptitle.h"
#include "app/firstinstance.h"
#include "app/mainwindow.h"
#include "app/messagetext.h"
#include "domains/listlocation.h"

#include <QGuiApplication>
#include <QSessionManager>

using namespace Qt::StringLiterals;

namespace {

SessionOptions sessionOptions(ProgramOptions& options, BusyPointer& busyPointer,
                              std::function<void(const QString&)> historyNotKept)
{
    SessionOptions session;
    session.listFilePath =
        options.listFilePath.isEmpty() ? listFilePath(QCoreApplication::applicationDirPath()) : options.listFilePath;
    session.locale = options.locale.value_or(CountText::userLocale());
    session.socketSettings = std::move(options.socketSettings);
    session.pump = [] { QCoreApplication::processEvents(); };
    session.busyPointer = &busyPointer;
    session.frontEnd = FrontEnd::Window;
    session.historyNotKept = std::move(historyNotKept);
    return session;
}

} // namespace

Program::Program(ProgramOptions options)
    // The window is made after the session, and told of the history only once a run has begun.
    : m_session(sessionOptions(options, m_busyPointer,
                               [this](const QString& problem) { m_frmMain->historyNotKept(problem); }))
    , m_qtDialogs(ApplicationTitle)
    , m_dialogs(options.dialogs ? options.dialogs : &m_qtDialogs)
    , m_terminationSignals([this](int) { endOnRequest(); })
{
    BrowserOpener& browser = options.browser ? *options.browser : m_qtBrowser;
    m_frmMain = std::make_unique<MainWindow>(
        MainWindowParts{m_session, *m_dialogs, browser, options.settingsFile, options.webGraph, options.availableArea});
    m_qtDialogs.setOwner(m_frmMain.get());
    QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, m_frmMain.get(),
                     [this](QSessionManager&) { endOnRequest(); });
}

Program::~Program() = default;

bool Program::start()
{
    // A lock that cannot be made at all leaves a folder where the list cannot be saved either; the load or the
    // save at exit tells the user then.
    const QString listPath = m_session.domains().filePath();
    if (!m_session.lock(false)) {
        // The Brenlow that holds the list comes forward, so that the user finds it, and this one ends quietly. One
        // that cannot be reached (a command line, or a window that does not answer) is named to the user instead,
        // in a message of its own rather than one owned by this program's window, which never shows.
        if (FirstInstance::callForward(listPath)) {
            m_exitStatus = 0;
            return false;
        }
        m_qtDialogs.setOwner(nullptr);
        m_dialogs->message(sentenceOf(m_session.problemText()) +
                           u".\n\nUse that one, or close it and start Brenlow again."_s);
        m_exitStatus = 1;
        return false;
    }
    m_firstInstance = std::make_unique<FirstInstance>(listPath, [this] { m_frmMain->comeForward(); });
    m_frmMain->Form_Load();
    m_frmMain->show();
    return true;
}

void Program::endOnRequest()
{
    m_frmMain->close();
}
