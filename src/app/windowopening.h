#pragma once

#include "app/screenfit.h"

class DesignLayout;
class GridWidget;
class QMainWindow;

// Gives window the size of its design with its menu and status bars, and lays its controls out at once: Qt lays
// out a hidden window's inside only when it shows, and the list is measured in its grid before that.
void openAtDesignSize(QMainWindow& window, DesignLayout& layout);

// Places a window that opens for the first time, or whose last place is not known: centred, made wide enough for
// grid's columns first and again once its frame is known (so before it is centred again), and kept on the area
// that area() gives for it.
void placeAtFirstOpening(QMainWindow& window, GridWidget& grid, const AvailableArea& area);
