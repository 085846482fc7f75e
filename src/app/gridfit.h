#pragma once

class GridWidget;
class QWidget;

// Widens window, up to its screen's available width, so that grid shows every column but the filler whole; a
// window wider than that screen narrows to it. When it can grow no further, the domain column gives up what a
// long domain added to it. The window is kept on the screen. A maximised or full-screen
// window keeps its size.
void fitWindowToGrid(QWidget& window, GridWidget& grid);
