#pragma once

#include "app/screenfit.h"

#include <QString>

class QWidget;

// Where the main window stood, its frame's top left corner, how large it was inside the frame and whether it was
// maximised when the program last ended, kept in the user's configuration folder (a settings file of its own in
// tests).
class WindowPlace {
public:
    // settingsFile: empty for the user's settings.
    explicit WindowPlace(QString settingsFile = {});

    // Gives window its last place and size, kept onto the area that area() gives for it (once more when the
    // window system has framed it, so that the frame stands where it stood); false when none was kept, and the
    // window stays as it is.
    bool restore(QWidget& window, const AvailableArea& area) const;
    void save(const QWidget& window) const;

private:
    QString m_settingsFile;
};
