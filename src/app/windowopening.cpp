#include "app/windowopening.h"

#include "app/centreform.h"
#include "app/designlayout.h"
#include "app/gridfit.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>

void openAtDesignSize(QMainWindow& window, DesignLayout& layout)
{
    window.resize(layout.designClientSize() +
                  QSize(0, window.menuBar()->sizeHint().height() + window.statusBar()->sizeHint().height()));
    window.layout()->activate();
    QWidget& client = *layout.parentWidget();
    client.resize(window.centralWidget()->size());
    layout.setGeometry(client.rect());
}

void placeAtFirstOpening(QMainWindow& window, GridWidget& grid, const AvailableArea& area)
{
    const auto fit = [&window, &grid, area] {
        fitWindowToGrid(window, grid, area(window));
        fitOntoArea(window, area(window));
    };
    fit();
    // Actions for a window's frame run last first: centred, then kept on the area.
    whenFramed(window, [&window, area] { fitOntoArea(window, area(window)); });
    CentreForm(window, 0);
    fitOntoArea(window, area(window));
    whenFramed(window, fit);
}
