#include "app/listsaving.h"

#include "app/messagetext.h"
#include "app/statusnotice.h"
#include "domains/userdialogs.h"
#include "workflows/listsession.h"

#include <QDir>
#include <QStatusBar>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString saveElsewhere = u"Use File > Save List As\u2026 to save the list to another file."_s;

} // namespace

ListSaving::ListSaving(QStatusBar& statusBar, ListSession& session, UserDialogs& dialogs)
    : m_statusBar(statusBar)
    , m_session(session)
    , m_dialogs(dialogs)
    , m_notice(new StatusNotice(statusBar, u"Save"_s))
{
}

void ListSaving::checkAtStart()
{
    if (!m_session.domains().canSave()) {
        tellNotSaved(u"The list is not being saved."_s, u"Brenlow leaves that file as it is. "_s + saveElsewhere);
        return;
    }
    if (!m_session.checkWritable())
        tellNotSaved(u"The list cannot be saved here."_s,
                     u"Updates and edits show in the window but are not saved to that file; Brenlow tries again "
                     u"after each. "_s +
                         saveElsewhere);
}

void ListSaving::saveAfterEdit()
{
    // A file found unreadable is never saved over; the user was told at start.
    if (!m_session.domains().canSave())
        return;
    if (m_session.saveChanges()) {
        if (std::exchange(m_failing, false)) {
            m_notice->clear();
            m_statusBar.showMessage(
                u"Saved the list to %1."_s.arg(QDir::toNativeSeparators(m_session.domains().filePath())), 15000);
        }
        return;
    }
    // Told once: the notice stays until a save succeeds.
    if (!m_failing)
        tellNotSaved(u"The list could not be saved."_s,
                     u"The file still holds the list as it was last saved, and the window keeps the changes; "
                     u"Brenlow tries again after every update and edit. "_s +
                         saveElsewhere);
}

bool ListSaving::saveListAs()
{
    const QString path = m_dialogs.saveFile(u"Save List As"_s, m_session.domains().filePath(), u"Text files (*.txt)"_s);
    if (path.isEmpty())
        return false;
    if (!m_session.saveAs(path)) {
        m_dialogs.warning(sentenceOf(m_session.problemText()) + u".\n\nThe list was not saved to that file."_s);
        return false;
    }
    m_failing = false;
    m_notice->clear();
    m_statusBar.showMessage(
        u"Saved the list to %1; it is saved there from now on."_s.arg(QDir::toNativeSeparators(path)), 15000);
    return true;
}

bool ListSaving::isSaving() const
{
    return !m_failing && m_session.domains().canSave();
}

void ListSaving::tellNotSaved(const QString& line, const QString& consequence)
{
    m_failing = true;
    const QString details = sentenceOf(m_session.problemText()) + u".\n\n"_s + consequence;
    m_notice->show(line, [details] { return details; });
}

void ListSaving::reportLoad()
{
    // What the user can expect of the list after the problem.
    QString consequence;
    if (m_session.problem() == ListProblem::Unreadable || m_session.problem() == ListProblem::NotAFile)
        consequence = u"\n\nBrenlow starts with an empty list and will not save over that file."_s;
    else if (m_session.problem() == ListProblem::FolderUnreadable)
        consequence = u"\n\nBrenlow starts with an empty list and will not save it."_s;
    m_dialogs.message(sentenceOf(m_session.problemText()) + consequence);
}
