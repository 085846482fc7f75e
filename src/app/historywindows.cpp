#include "app/historywindows.h"

#include "app/domainhistory.h"
#include "app/historyview.h"
#include "app/messagetext.h"
#include "app/statusnotice.h"
#include "domains/userdialogs.h"
#include "workflows/listsession.h"

#include <QDir>
#include <QFileInfo>
#include <QStatusBar>

using namespace Qt::StringLiterals;

HistoryWindows::HistoryWindows(QWidget& window, QStatusBar& statusBar, ListSession& session, UserDialogs& dialogs,
                               std::function<bool()> listSaved)
    : m_window(window)
    , m_statusBar(statusBar)
    , m_session(session)
    , m_dialogs(dialogs)
    , m_listSaved(std::move(listSaved))
    , m_notice(new StatusNotice(statusBar, u"History"_s))
{
}

void HistoryWindows::show(const QByteArray& domain)
{
    if (domain.isEmpty())
        return;
    m_views.removeAll(nullptr);
    for (HistoryView* view : std::as_const(m_views)) {
        if (view->domain() == domain) {
            view->raise();
            view->activateWindow();
            return;
        }
    }
    QString problem;
    std::optional<DomainHistory> history = DomainHistory::read(m_session.historyListPath(), domain, problem);
    if (!history) {
        m_dialogs.warning(sentenceOf(problem) + u'.');
        return;
    }
    auto* view = new HistoryView(std::move(*history), m_session.engines(), m_session.countText(), &m_window);
    m_views.append(view);
    view->show();
}

void HistoryWindows::refresh()
{
    m_views.removeAll(nullptr);
    for (HistoryView* view : std::as_const(m_views)) {
        QString problem;
        if (auto history = DomainHistory::read(m_session.historyListPath(), view->domain(), problem))
            view->setHistory(std::move(*history));
    }
}

void HistoryWindows::historyNotKept(const QString& problem)
{
    const QString text = u"History is not being kept: %1."_s.arg(problem);
    // What it says of the counts is worked out when the user reads it: a later save may fail, or Save As succeed.
    m_notice->show(u"History is not being kept."_s, [this, text] {
        return text + (m_listSaved() ? u"\n\nThe counts are still updated and saved in the list."_s
                                     : u"\n\nThe counts are still updated in the window, but the list is not being "
                                       u"saved either: use File > Save List As\u2026 to keep them."_s);
    });
}

void HistoryWindows::mnuFileExportHistory_Click()
{
    const QString listPath = m_session.historyListPath();
    const QFileInfo list(listPath);
    QString fileName =
        m_dialogs.saveFile(u"Export History"_s, list.dir().filePath(list.completeBaseName() + u"-history.csv"_s),
                           u"CSV files (*.csv);;JSON files (*.json)"_s);
    if (fileName.isEmpty())
        return;
    std::optional<HistoryFormat> format = historyFormatOf(fileName);
    if (!format) {
        fileName += u".csv"_s;
        format = HistoryFormat::Csv;
    }
    QString error;
    if (!exportHistoryFile(listPath, fileName, *format, error)) {
        m_dialogs.warning(u"The history was not exported: %1."_s.arg(error));
        return;
    }
    m_statusBar.showMessage(u"Exported the history to %1."_s.arg(QDir::toNativeSeparators(fileName)), 15000);
}
