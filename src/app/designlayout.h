#pragma once

#include "app/windowcontrols.h"

#include <QLayout>
#include <QList>
#include <QRect>
#include <QSize>

#include <functional>

// Puts the main window's controls where its design places them: the design in twips (1/1440 inch) converted at
// the screen's DPI, and scaled up with a desktop font larger than the 9 points it suits. Buttons keep the desktop's
// font and widen to their captions, moving the rest of their row; the progress label is as wide as its widest
// text; the grid takes what the window gains over the design, and the bottom row of buttons stays below it; the find
// bar, when open, takes the bottom of the grid's place. A client area smaller than the design takes from the grid
// first (its scroll bars show the rest); a row of buttons that no longer fits wraps onto further lines, the top row
// downwards and the bottom row upwards. Qt places the controls again whenever the client area changes size or the find
// bar opens or closes, and then resized() is called.
class DesignLayout : public QLayout {
public:
    // Becomes the layout of the controls' client area, managing every control on it.
    DesignLayout(const WindowControls& controls, std::function<void()> resized);
    ~DesignLayout() override;

    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override;
    Qt::Orientations expandingDirections() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    bool hasHeightForWidth() const override;
    // The least height that shows every control whole in a client area of a width.
    int heightForWidth(int width) const override;
    void setGeometry(const QRect& rect) override;
    // resized() is not called any more: what it works on is going away.
    void stopCallbacks();

    // The design's client area, wider where captions need it: the size the window opens with when the screen has room.
    QSize designClientSize() const;
    // The smallest client area that shows every control whole, its buttons wrapped and a few of the grid's rows.
    QSize minimumClientSize() const;
    // Widens the progress label for a text longer than the ones it was made for.
    void fitProgress(const QString& text);

private:
    // A button and its place: in the design in twips, or where it is put, in pixels.
    struct ButtonPlace {
        QPushButton* button;
        QRect design;
    };

    // Where everything goes in a client area of a size.
    struct Arrangement {
        QList<ButtonPlace> buttons;
        QRect completed;
        QRect grid; // with the find bar's place when it is open
    };

    QRect pixels(const QRect& twips) const;
    int rightMargin() const;
    QList<QList<ButtonPlace>> buttonRows() const;
    int captionWidth(const QPushButton& button) const;
    QList<QList<ButtonPlace>> buttonGeometries() const;
    Arrangement arrange(QSize client) const;
    int progressWidth(const QString& text) const;
    void place(QSize client);

    QList<QLayoutItem*> m_items;
    WindowControls m_controls;
    std::function<void()> m_resized;
    qreal m_fontScale; // the desktop font's size over the design's
};
