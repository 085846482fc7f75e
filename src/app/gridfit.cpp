#include "app/gridfit.h"

#include "grid/gridwidget.h"

#include <QWidget>

#include <algorithm>

void fitWindowToGrid(QWidget& window, GridWidget& grid, const QRect& available)
{
    if (window.isMaximized() || window.isFullScreen() || available.isEmpty())
        return;
    const int frame = window.frameGeometry().width() - window.width();
    const int wanted = window.width() + std::max(grid.widthForColumns() - grid.width(), 0);
    const int width = std::min(wanted, available.width() - frame);
    if (width == window.width()) {
        // The window can grow no further. A hidden window's grid is laid out when it shows, and then narrows its
        // domain column itself when it must.
        if (width < wanted && window.isVisible())
            grid.narrowDomainToFit();
        return;
    }
    window.resize(width, window.height());
    if (const QRect outer = window.frameGeometry(); outer.right() > available.right())
        window.move(std::max(available.left(), available.right() + 1 - outer.width()), window.y());
}
