#include "app/qtbusypointer.h"

#include <QCursor>
#include <QGuiApplication>

QtBusyPointer::~QtBusyPointer()
{
    setBusy(false);
}

void QtBusyPointer::setBusy(bool busy)
{
    if (busy == m_shown)
        return;
    m_shown = busy;
    if (busy)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QGuiApplication::restoreOverrideCursor();
}
