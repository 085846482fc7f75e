#include "app/exitsave.h"

#include "app/messagetext.h"
#include "domains/userdialogs.h"
#include "workflows/listsession.h"

#include <QScopedValueRollback>

using namespace Qt::StringLiterals;

ExitSave::ExitSave(ListSession& session, UserDialogs& dialogs)
    : m_session(session)
    , m_dialogs(dialogs)
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
    const QString question =
        sentenceOf(m_session.problemText()) +
        u"\n\nThe file still holds the list as it was last saved. Exit without saving the changes?"_s;
    return m_dialogs.askYesNo(question) == UserDialogs::Answer::Yes;
}
