#pragma once

class GridWidget;
class QWidget;

// Widens window, up to its screen's available width, so that grid shows every column but the filler whole; a
// window wider than that screen narrows to it. The window is kept on the screen. A maximised or full-screen
// window keeps its size.
void fitWindowToGrid(QWidget& window, const GridWidget& grid);
