#include "app/doubleclickguard.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

DoubleClickGuard::DoubleClickGuard(QWidget& button)
    : QObject(&button)
{
    button.installEventFilter(this);
}

bool DoubleClickGuard::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
        m_shown.start();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
        return m_shown.isValid() && m_shown.elapsed() < QApplication::doubleClickInterval();
    default:
        break;
    }
    return false;
}
