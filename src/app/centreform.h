#pragma once

#include <QPoint>
#include <QSize>

#include <functional>

class QWidget;

// The top-left position that centres a window of outer size window on a screen, moved by offset in both
// directions; an offset beyond the screen's width or height counts as 0. Halves are truncated towards zero, so
// a window larger than the screen gets a negative position.
QPoint centredPosition(QSize screen, QSize window, int offset);

// Moves a window to the centre of the primary screen without changing its size, centring its outer frame. A
// window that has no frame yet is centred again as soon as it gets one.
void CentreForm(QWidget& window, int offset);

// Runs action once when a window that has no frame yet gets one (after it is shown), for what depends on the
// window's outer size. Actions given for the same window run in the reverse order of the calls.
void whenFramed(QWidget& window, std::function<void()> action);
