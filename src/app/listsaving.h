#pragma once

#include <QString>

class ListSession;
class QStatusBar;
class StatusNotice;
class UserDialogs;

// Keeping the list saved while the window works: after every update run and every edit, and to another file
// when the user asks. A save that fails is told once, in the status bar, and the work goes on (the grid keeps
// what it shows); the next save that succeeds takes the notice back.
class ListSaving {
public:
    ListSaving(QStatusBar& statusBar, ListSession& session, UserDialogs& dialogs);

    // At start, after a load that failed: tells the user what went wrong and what becomes of the list.
    void reportLoad();
    // At start, once the list is loaded: tells the user when the list cannot be saved where it is.
    void checkAtStart();
    // Saves the list after anything that changed it: a run, an addition, a removal, an import, a new order.
    void saveAfterEdit();
    // File > "Save List As…": asks for a file and saves the list there, which is the list's file from then on.
    // True when the list was saved there.
    bool saveListAs();
    // Whether the list is being saved: the last save went well (or none has failed) and its file is not one
    // found unreadable.
    bool isSaving() const;

private:
    void tellNotSaved(const QString& line, const QString& consequence);

    QStatusBar& m_statusBar;
    ListSession& m_session;
    UserDialogs& m_dialogs;
    StatusNotice* m_notice;
    bool m_failing = false;
};
