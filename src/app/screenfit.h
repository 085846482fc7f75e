#pragma once

#include <QRect>

#include <functional>

class QWidget;

// The part of the screens that a window may take: the available geometry of the screen it is on, without panels
// and docks. Tests set one of their own.
using AvailableArea = std::function<QRect(const QWidget& window)>;

// The available geometry of the screen under the middle of window's frame, or of its own screen when no screen is
// there (the primary one while it is hidden).
QRect screenAvailableArea(const QWidget& window);

// Keeps window, its frame included, inside area: smaller when it is larger than the area (but not below its minimum
// size), moved onto the area when any part of it is off. A maximised or full-screen window is the window system's.
void fitOntoArea(QWidget& window, const QRect& area);
