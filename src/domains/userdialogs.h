#pragma once

#include <QString>
#include <QStringList>

// The dialogs through which the program asks and tells the user something. The program shows Qt's standard
// dialogs; tests answer them. A title left empty shows the application's title.
class UserDialogs {
public:
    enum class Answer { Yes, No, Cancel };

    // A text-input prompt; empty when the user cancels.
    virtual QString prompt(const QString& text, const QString& title) = 0;
    // A message with an OK button only.
    virtual void message(const QString& text, const QString& title = {}) = 0;
    // The same with a warning's icon, for what went wrong.
    virtual void warning(const QString& text, const QString& title = {}) = 0;
    // A question with Yes and No, or Yes, No and Cancel; closing the box answers No or Cancel.
    virtual Answer askYesNo(const QString& text, const QString& title = {}) = 0;
    virtual Answer askYesNoCancel(const QString& text, const QString& title = {}) = 0;
    // A question answered by one of choices, a button each, the last the one that closing the box or Escape
    // picks; the index of the choice.
    virtual int choose(const QString& text, const QStringList& choices, const QString& title = {}) = 0;
    // An open-file dialog for an existing file; empty when the user cancels.
    virtual QString openFile(const QString& title, const QString& directory, const QString& filter) = 0;
    // A save-file dialog, starting at path (a folder, or a file name suggested in it), that asks before it
    // replaces a file; empty when the user cancels.
    virtual QString saveFile(const QString& title, const QString& path, const QString& filter) = 0;

protected:
    ~UserDialogs() = default;
};
