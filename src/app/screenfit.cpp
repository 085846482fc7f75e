#include "app/screenfit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

QRect screenAvailableArea(const QWidget& window)
{
    const QScreen* screen = QGuiApplication::screenAt(window.frameGeometry().center());
    if (!screen)
        screen = window.screen();
    return screen ? screen->availableGeometry() : QRect();
}

void fitOntoArea(QWidget& window, const QRect& area)
{
    if (window.isMaximized() || window.isFullScreen() || area.isEmpty())
        return;
    // The frame's share of the outer size is known once the window system has framed the window; until then it is
    // nothing, and the fit is made again when it is known.
    const QSize frame = window.frameGeometry().size() - window.size();
    const QSize largest = (area.size() - frame).expandedTo(window.minimumSize());
    if (const QSize size = window.size().boundedTo(largest); size != window.size())
        window.resize(size);
    const QRect outer = window.frameGeometry();
    const int x = std::max(area.left(), std::min(outer.left(), area.right() + 1 - outer.width()));
    const int y = std::max(area.top(), std::min(outer.top(), area.bottom() + 1 - outer.height()));
    if (QPoint(x, y) != outer.topLeft())
        window.move(x, y);
}
