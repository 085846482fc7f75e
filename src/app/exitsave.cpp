#include "app/exitsave.h"

#include "app/messagetext.h"
#include "domains/userdialogs.h"
#include "workflows/listsession.h"

#include <QScopedValueRollback>

using namespace Qt::StringLiterals;

ExitSave::ExitSave(ListSession& session, UserDialogs& dialogs, std::function<bool()> saveAs)
    : m_session(session)
    , m_dialogs(dialogs)
    , m_saveAs(std::move(saveAs))
{
}

bool ExitSave::captureAndSave()
{
    // A second close (a termination signal, say) while the user is asked about a failed save waits for that
    // answer instead of asking again.
    if (m_saving)
        return false;
    const QScopedValueRollback saving(m_saving, true);
    return saveListForExit();
}

bool ExitSave::saveListForExit()
{
    if (!m_session.domains().canSave()) {
        m_dialogs.message(u"The domain list was not saved: %1 could not be read when Brenlow started and is left as "
                          u"it is."_s.arg(m_session.domains().filePath()));
        return true;
    }
    if (m_session.save())
        return true;
    enum Choice { SaveAs, ExitUnsaved, Stay };
    const QString question = sentenceOf(m_session.problemText()) +
                             u".\n\nThe file still holds the list as it was last saved. Save the list to another "
                             u"file, or exit without saving the changes?"_s;
    switch (m_dialogs.choose(question, {u"Save List As\u2026"_s, u"Exit without saving"_s, u"Cancel"_s})) {
    case SaveAs:
        // Cancelled or failed, the window stays open with the list; saved, the new file gets the list as Exit
        // saves it, its missing counts filled in.
        return m_saveAs() && saveListForExit();
    case ExitUnsaved:
        return true;
    default:
        return false;
    }
}
