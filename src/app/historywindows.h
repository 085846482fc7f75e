#pragma once

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QString>

#include <functional>

class HistoryView;
class ListSession;
class QStatusBar;
class QWidget;
class StatusNotice;
class UserDialogs;

// The history's side of the main window: a view of each domain's history the user opened, kept up to date after
// every run, the export of the whole history, and the notice that it cannot be kept.
class HistoryWindows {
public:
    // listSaved: whether the list is being saved, for what the notice says of the counts.
    HistoryWindows(QWidget& window, QStatusBar& statusBar, ListSession& session, UserDialogs& dialogs,
                   std::function<bool()> listSaved);

    // Opens the history of a domain, or brings its open view forward; nothing for an empty domain.
    void show(const QByteArray& domain);
    // Reads the open views' histories again (after a run).
    void refresh();
    // Asks for a file and writes the whole history to it (CSV, or JSON by its name), saying how it went.
    void mnuFileExportHistory_Click();
    // Tells the user, once a run has met it, that the history cannot be kept (problem: a clause), in the status
    // bar: the run goes on.
    void historyNotKept(const QString& problem);

private:
    QWidget& m_window;
    QStatusBar& m_statusBar;
    ListSession& m_session;
    UserDialogs& m_dialogs;
    std::function<bool()> m_listSaved;
    StatusNotice* m_notice;
    QList<QPointer<HistoryView>> m_views; // the open ones
};
