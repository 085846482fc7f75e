#pragma once

#include "domains/domainlist.h"
#include "domains/listlock.h"
#include "engine/counttext.h"
#include "engine/enginecatalogue.h"
#include "grid/domaingrid.h"
#include "history/historyrecorder.h"
#include "history/historystore.h"
#include "history/historythread.h"
#include "net/busypointer.h"
#include "net/httpfetcher.h"
#include "net/posixsocket.h"
#include "net/sockethost.h"
#include "sources/sourcecatalogue.h"
#include "workflows/domaineditor.h"
#include "workflows/updaterun.h"

#include <QLocale>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

struct SessionOptions {
    QString listFilePath;
    QLocale locale;                       // of the counts the user sees
    SocketSettings socketSettings;        // the program's own: real names, port 80, 20 s
    FetchLimits fetchLimits;              // 60 s an attempt
    EventPump pump;                       // lets the front end's events run while a request waits
    BusyPointer* busyPointer = nullptr;   // the wait pointer; none when null
    FrontEnd frontEnd = FrontEnd::Window; // the history records which front end made each run
    // The free space of the history's disk, which the history leaves to the list's next save; the system's when
    // empty (tests give a disk of their own size).
    HistoryStore::FreeSpace historyFreeSpace;
    // Whether the session makes update runs, whose history is opened (and checked) as soon as the lock is held;
    // a command line that only edits the list leaves the history alone.
    bool recordsRuns = true;
    // The window saves a new list at once; the command line only once its command has done its work.
    DomainList::NewList newList = DomainList::NewList::Save;
    // Told, once, the clause why the history of the update runs is not being kept (HistoryStore::problemText());
    // nobody is told when null.
    std::function<void(const QString& problem)> historyNotKept;
};

// What went wrong with the list, for the front end to tell in its own words around problemText().
enum class ListProblem {
    None,
    InUse,            // another running instance holds the list
    NotLockable,      // no lock can be made beside it
    Unreadable,       // the file is there but cannot be read; it is never saved over
    FolderUnreadable, // its folder cannot be searched; nothing is saved there
    NotAFile,         // a directory, a FIFO, a device or a link to nothing stands there; it is never replaced
    NotCreated,       // there was no list and the new one could not be saved
    NotSaved,         // a save failed; the file holds what it held
    NotWritable,      // the file or its folder cannot be written
};

// One domain list as a front end works on it, with everything that takes: the count text of the user's locale,
// the engine tables, the list and its file, the lock, the socket and the fetcher; and, once the front end shows
// it in a grid, the grid's exchange with the list, the update run and the editor. The window and the command
// line each hold one.
class ListSession : private BusyPointer, private UpdateRunControls {
public:
    explicit ListSession(SessionOptions options);

    // The front end's side of update runs, and the grid that shows the list (none on the command line). Called
    // once, before load().
    void showIn(UpdateRunControls& runControls, GridControl* grid = nullptr);

    // Takes the list's lock, and with it opens the history for writing. False when the lock cannot be held:
    // InUse always; NotLockable only when required (a session that saves needs a folder where a lock can be
    // made).
    bool lock(bool required);
    // Reads the list and shows it in the grid, the first domain current. False, with the problem, when the file
    // or its folder cannot be read or a new list could not be created; the grid then shows what could be read.
    bool load();
    // Fills in the counts the list lacks (CaptureUrlsData) and saves it. False, with the problem, when it could not be
    // saved.
    bool save();
    // Saves the list as it stands, the counts it lacks left out, so that the grid goes on showing what it showed:
    // the saves while the list is worked on. False, with the problem, when it could not be saved.
    bool saveChanges();
    // Whether a save could replace the list: its folder, and the file when it is there, can be written. Asked
    // before work whose results would otherwise be lost.
    bool checkWritable();
    // Saves the list as it stands (see saveChanges) to another file, which from then on is the list's file: later
    // saves go there, and the session holds that file's lock. The history stays beside the file the session began
    // with. False, with the problem, when another instance holds that file, no lock can be made beside it, or the
    // save failed; the list's file is then the one it was.
    bool saveAs(const QString& path);
    // The list file the session began with, beside which its history lies.
    const QString& historyListPath() const { return m_historyListPath; }

    ListProblem problem() const { return m_problem; }
    // The last problem as a clause, "the domain list /x/brenlow.txt is in use by another Brenlow (process 12 on
    // host)", empty when there is none.
    QString problemText() const;

    const CountText& countText() const { return m_countText; }
    const EngineTables& engines() const { return m_engines; }
    DomainList& domains() { return m_domains; }
    const DomainList& domains() const { return m_domains; }
    HttpFetcher& fetcher() { return m_fetcher; }
    const SourceCatalogue& sources() const { return m_sources; }
    // The fetches that failed when last made, by the history: the count of each is one an earlier run found.
    // Their rows are the first of their domains in the list.
    QList<FetchReport> lastFailedFetches() const;
    // Asks the update run under way to end after the fetch it waits for.
    void cancelUpdate() { m_fetcher.requestCancel(); }
    DomainGrid& grid() { return *m_grid; }
    UpdateRun& run() { return *m_run; }
    // The list's history, opened for writing when first asked for while the session holds the lock, and
    // otherwise closed with the reason in its problem(). Update runs record through a thread of their own.
    HistoryStore& history();
    DomainEditor& editor() { return *m_editor; }

    // Shows in the grid the figures of the newest web graph release the history holds for each listed domain.
    void showGraphFigures();
    // Keeps what a release said of the listed domains in the history and shows it. False when the history could
    // not keep it (history().problemText() says why); nothing of the release is kept then.
    bool keepGraphFigures(const GraphRelease& release, const QList<std::pair<QByteArray, GraphFigures>>& figures);

private:
    bool fail(ListProblem problem, const QString& file = {});
    void setBusy(bool busy) override;
    // The update run's controls: the front end's, with every run and fetch recorded in the history.
    void enterRunningState() override;
    void leaveRunningState() override;
    void showProgress(qint64 step, qint64 steps) override;
    void fetchEnded(const FetchReport& report) override;

    CountText m_countText;
    EngineTables m_engines;
    DomainList m_domains;
    QString m_historyListPath;
    ListLock m_lock;                         // on the file the session began with, held while its history is written
    std::unique_ptr<ListLock> m_savedAsLock; // on the file the list was saved as, when another
    HistoryStore m_history;
    HistoryThread m_historyThread; // writes what the runs record
    BusyPointer* m_busyPointer;
    EventPump m_pump;
    SocketHost m_socketHost;
    HttpFetcher m_fetcher;
    SourceCatalogue m_sources;
    std::optional<DomainGrid> m_grid;
    UpdateRunControls* m_runControls = nullptr;
    HistoryRecorder m_recorder;
    std::optional<UpdateRun> m_run;
    std::optional<DomainEditor> m_editor;
    DomainList::NewList m_newList;
    bool m_recordsRuns;
    ListProblem m_problem = ListProblem::None;
    QString m_problemFile;
    QString m_lockHolder; // of the lock that was found held by another instance
    QString m_lockError;  // why no lock could be made
    int m_writeError = 0;
    bool m_lockHeld = false;
};
