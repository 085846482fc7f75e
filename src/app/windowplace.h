#pragma once

#include <QString>

class QWidget;

// Where the main window stood and how large it was when the program last ended, kept in the user's
// configuration folder (a settings file of its own in tests).
class WindowPlace {
public:
    // settingsFile: empty for the user's settings.
    explicit WindowPlace(QString settingsFile = {});

    // Gives window its last size and place when they fit the screens there are now; false when there is none that
    // fits, and the window stays as it is.
    bool restore(QWidget& window) const;
    void save(const QWidget& window) const;

private:
    QString m_settingsFile;
};
