#pragma once

#include <QElapsedTimer>
#include <QObject>

class QWidget;

// Lets a button that appears where another was take no mouse press for a double-click interval after it appears:
// Cancel shows over Update All as a run starts, and the second click of a double-click on Update All would
// otherwise cancel the run it started. The keyboard reaches the button all the same.
class DoubleClickGuard : public QObject {
public:
    explicit DoubleClickGuard(QWidget& button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QElapsedTimer m_shown;
};
