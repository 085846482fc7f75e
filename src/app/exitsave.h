#pragma once

#include <functional>

class ListSession;
class UserDialogs;

// Saving the list when the program ends: what the user is told when it cannot be saved, and whether the program
// may end all the same.
class ExitSave {
public:
    // saveAs: File > "Save List As…", true when the list was saved to the file the user chose.
    ExitSave(ListSession& session, UserDialogs& dialogs, std::function<bool()> saveAs);

    // Saves the list, its missing counts filled in. True when the program may end: the list was saved (where it
    // is, or to another file the user chose), it may not be saved over, or the user chose to end without saving it.
    bool captureAndSave();

private:
    bool saveListForExit();

    ListSession& m_session;
    UserDialogs& m_dialogs;
    std::function<bool()> m_saveAs;
    bool m_saving = false;
};
