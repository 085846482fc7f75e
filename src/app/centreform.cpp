#include "app/centreform.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

QPoint centredPosition(QSize screen, QSize window, int offset)
{
    if (offset > screen.height() || offset > screen.width())
        offset = 0;
    return {(screen.width() - window.width()) / 2 + offset, (screen.height() - window.height()) / 2 + offset};
}

void CentreForm(QWidget& window, int offset)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window.move(centredPosition(screen->geometry().size(), window.frameGeometry().size(), offset));
}
