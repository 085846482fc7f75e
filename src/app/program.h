#pragma once

#include "app/browseropener.h"
#include "app/qtbusypointer.h"
#include "app/qtdialogs.h"
#include "app/screenfit.h"
#include "app/webgraphdialog.h"
#include "workflows/listsession.h"
#include "workflows/terminationsignals.h"

#include <memory>
#include <optional>

class FirstInstance;
class MainWindow;

struct ProgramOptions {
    QString listFilePath;             // empty: where the program keeps its list (see listFilePath)
    SocketSettings socketSettings;    // the program's own: real names, port 80, 20 s
    UserDialogs* dialogs = nullptr;   // not owned; null: Qt's dialogs
    BrowserOpener* browser = nullptr; // not owned; null: the desktop's default browser
    std::optional<QLocale> locale;    // the user's locale unless given
    QString settingsFile;             // empty: the user's settings (where the window's place is kept)
    WebGraphSources webGraph;         // the web graph's own servers unless given
    AvailableArea availableArea;      // empty: the screens' own
};

// Everything the program holds for its whole life, made once at start: the session on the domain list, the
// main window that shows it, and the handling of termination signals, which end the program the way closing its
// window does.
class Program {
public:
    explicit Program(ProgramOptions options = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Locks the domain list, loads the main window (which reads the list) and shows it. False when another
    // instance holds the list: that one has been asked to come forward, and the user told when it did not answer;
    // the program then ends with exitStatus().
    bool start();
    // After a start that returned false: 0 when the instance that holds the list came forward, 1 otherwise.
    int exitStatus() const { return m_exitStatus; }
    // The desktop session is ending, or a termination signal came: closes the main window as the user would.
    void endOnRequest();

    MainWindow& frmMain() { return *m_frmMain; }
    ListSession& session() { return m_session; }

private:
    QtBusyPointer m_busyPointer;
    ListSession m_session;
    QtDialogs m_qtDialogs;
    QtBrowserOpener m_qtBrowser;
    UserDialogs* m_dialogs;
    std::unique_ptr<MainWindow> m_frmMain;
    std::unique_ptr<FirstInstance> m_firstInstance; // answers later starts over the same list
    TerminationSignals m_terminationSignals;
    int m_exitStatus = 0;
};
