#pragma once

#include <QRect>

class GridWidget;
class QWidget;

// Widens window, up to the width of available (its screen's available area), so that grid shows every column but
// the filler whole; a window wider than that narrows to it. When it can grow no further, the domain column gives up
// what a long domain added to it. The window is kept on the area. A maximised or full-screen window keeps its size.
void fitWindowToGrid(QWidget& window, GridWidget& grid, const QRect& available);
