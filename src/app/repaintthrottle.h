#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QWidget;

// Holds a window to at most one repaint per interval while active. An update run can change cells and the
// progress label thousands of times a second on a fast network; painting each change would cost more than the
// fetching. A repaint that comes too soon is delivered when the interval has passed, so nothing is lost.
class RepaintThrottle : public QObject {
public:
    explicit RepaintThrottle(QWidget& window, int intervalMs = 16);

    void setActive(bool active);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void deliverHeldRepaint();

    QPointer<QWidget> m_window;
    int m_interval;
    QElapsedTimer m_sinceRepaint;
    QTimer m_held;
    bool m_active = false;
};
