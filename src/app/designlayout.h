#pragma once

#include "app/windowcontrols.h"

#include <QList>
#include <QObject>
#include <QRect>
#include <QSize>

#include <functional>

// Puts the main window's controls where its design places them: the design in twips (1/1440 inch) converted at
// the screen's DPI, and scaled up with a desktop font larger than the 9 points it suits. Buttons keep the desktop's
// font and widen to their captions, moving the rest of their row; the progress label is as wide as its widest
// text; the grid takes what the window gains over the design, and the bottom row of buttons stays below it; the find
// bar, when open, takes the bottom of the grid's place. The controls are placed again whenever the client area changes
// size or the find bar opens or closes, and then resized() is called.
class DesignLayout : public QObject {
public:
    DesignLayout(const WindowControls& controls, std::function<void()> resized);

    // The smallest client area that shows every control whole.
    QSize minimumClientSize() const;
    // Widens the progress label for a text longer than the ones it was made for.
    void fitProgress(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A button and its place: in the design in twips, or where it is put, in pixels.
    struct ButtonPlace {
        QPushButton* button;
        QRect design;
    };

    QRect pixels(const QRect& twips) const;
    QList<QList<ButtonPlace>> buttonRows() const;
    int captionWidth(const QPushButton& button) const;
    QList<ButtonPlace> buttonGeometries() const;
    int progressWidth(const QString& text) const;
    void place();

    WindowControls m_controls;
    std::function<void()> m_resized;
    qreal m_fontScale; // the desktop font's size over the design's
};
