#pragma once

#include "cli/console.h"
#include "cli/terminalruncontrols.h"
#include "domains/domainlist.h"
#include "domains/listlock.h"
#include "domains/userdialogs.h"
#include "engine/counttext.h"
#include "engine/enginecatalogue.h"
#include "grid/domaingrid.h"
#include "grid/memorygrid.h"
#include "net/busypointer.h"
#include "net/httpfetcher.h"
#include "net/posixsocket.h"
#include "net/sockethost.h"
#include "workflows/domaineditor.h"
#include "workflows/terminationsignals.h"
#include "workflows/updaterun.h"

// A command's hold on the domain list: the list locked and loaded into a grid in memory, laid out and shown as
// the window shows it, with the same update run, editing and saving the window uses. A termination signal
// cancels a run; the list is saved all the same.
class ListSession : private UserDialogs, private BusyPointer {
public:
    ListSession(const QString& listFile, SocketSettings socketSettings, const Console& console);

    // Locks and loads the list. False, after a message naming the file, when it cannot be used: held by another
    // instance, unreadable, or (for a command that saves) not lockable or not creatable.
    bool open(bool forSaving);
    // Captures the grid and saves the list, as Exit does. False, after a message naming the file, on failure.
    bool save();

    DomainList& domains() { return m_domains; }
    DomainGrid& grid() { return m_grid; }
    const MemoryGrid& cells() const { return m_cells; }
    const EngineTables& engines() const { return m_engines; }
    DomainEditor& editor() { return m_editor; }
    UpdateRun& run() { return m_run; }
    const CountText& countText() const { return m_countText; }
    // Whether standard error is a terminal, where a person watches the run.
    bool watched() const { return m_runControls.isTerminal(); }
    // The termination signal that came during a run, or 0.
    int signalReceived() const { return m_signal; }

private:
    // The editor's dialogs: nothing here asks, a message goes to standard error.
    QString prompt(const QString&, const QString&) override { return {}; }
    void message(const QString& text, const QString&) override { m_console.error(text); }
    Answer askYesNo(const QString&, const QString&) override { return Answer::Yes; }
    Answer askYesNoCancel(const QString&, const QString&) override { return Answer::Yes; }
    QString openFile(const QString&, const QString&, const QString&) override { return {}; }
    void setBusy(bool) override {}

    const Console& m_console;
    CountText m_countText;
    EngineTables m_engines;
    DomainList m_domains;
    ListLock m_lock;
    MemoryGrid m_cells;
    DomainGrid m_grid;
    EventPump m_pump;
    SocketHost m_socketHost;
    HttpFetcher m_fetcher;
    TerminalRunControls m_runControls;
    UpdateRun m_run;
    DomainEditor m_editor;
    int m_signal = 0;
    TerminationSignals m_terminationSignals;
};
