#pragma once

#include "app/browseropener.h"
#include "app/qtbusypointer.h"
#include "app/qtdialogs.h"
#include "domains/domainlist.h"
#include "engine/counttext.h"
#include "engine/enginecatalogue.h"
#include "net/httpfetcher.h"
#include "net/posixsocket.h"
#include "net/sockethost.h"

#include <memory>
#include <optional>

class MainWindow;

struct ProgramOptions {
    QString listFilePath;             // empty: brenlow.txt in the program's directory
    SocketSettings socketSettings;    // the program's own: real names, port 80, 20 s
    UserDialogs* dialogs = nullptr;   // not owned; null: Qt's dialogs
    BrowserOpener* browser = nullptr; // not owned; null: the desktop's default browser
    std::optional<QLocale> locale;    // the user's locale unless given
};

// Everything the program holds for its whole life, made once at start: the count format of the user's locale,
// the engine tables, the domain list, the socket and the fetcher, and the main window that uses them.
class Program {
public:
    explicit Program(ProgramOptions options = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Loads the main window (which reads the domain list) and shows it.
    void start();

    MainWindow& frmMain() { return *m_frmMain; }
    HttpFetcher& fetcher() { return m_fetcher; }
    DomainList& domains() { return m_domains; }
    const CountText& countText() const { return m_countText; }

    static QString defaultListFilePath();

private:
    CountText m_countText;
    EngineTables m_engines;
    DomainList m_domains;
    QtBusyPointer m_busyPointer;
    EventPump m_pump;
    SocketHost m_socketHost;
    HttpFetcher m_fetcher;
    QtDialogs m_qtDialogs;
    QtBrowserOpener m_qtBrowser;
    std::unique_ptr<MainWindow> m_frmMain;
};
