#include "app/repaintthrottle.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

RepaintThrottle::RepaintThrottle(QWidget& window, int intervalMs)
    : QObject(&window)
    , m_window(&window)
    , m_interval(intervalMs)
{
    m_held.setSingleShot(true);
    connect(&m_held, &QTimer::timeout, this, &RepaintThrottle::deliverHeldRepaint);
}

void RepaintThrottle::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    if (active) {
        m_sinceRepaint.start();
        m_window->installEventFilter(this);
    } else {
        m_window->removeEventFilter(this);
        if (m_held.isActive()) {
            m_held.stop();
            deliverHeldRepaint();
        }
    }
}

bool RepaintThrottle::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_window || event->type() != QEvent::UpdateRequest)
        return false;
    const qint64 elapsed = m_sinceRepaint.elapsed();
    if (elapsed < m_interval) {
        // The window stays marked for repainting; the held request repaints everything that changed meanwhile.
        if (!m_held.isActive())
            m_held.start(static_cast<int>(m_interval - elapsed));
        return true;
    }
    m_sinceRepaint.restart();
    return false;
}

void RepaintThrottle::deliverHeldRepaint()
{
    if (m_window)
        QCoreApplication::postEvent(m_window, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
}
