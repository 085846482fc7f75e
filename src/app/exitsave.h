#pragma once

class ListSession;
class UserDialogs;

// Saving the list when the program ends: what the user is told when it cannot be saved, and whether the program
// may end all the same.
class ExitSave {
public:
    ExitSave(ListSession& session, UserDialogs& dialogs);

    // Saves the list, its missing counts filled in. True when the program may end: the list was saved, it may not be
    // saved over, or the user chose to end without saving it.
    bool captureAndSave();

private:
    bool saveListForExit();

    ListSession& m_session;
    UserDialogs& m_dialogs;
    bool m_saving = false;
};
