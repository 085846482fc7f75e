#include "app/centreform.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

// The outer size is known only once the window system has framed the window; until then it equals the inner size.
bool hasFrame(const QWidget& window)
{
    return window.frameGeometry().size() != window.size();
}

void placeAtCentre(QWidget& window, int offset)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window.move(centredPosition(screen->geometry().size(), window.frameGeometry().size(), offset));
}

// Centres a window once more when it gets its frame, which happens after it is shown (on X11 when the window
// manager has reparented it), and then lets it be.
class CentreWhenFramed final : public QObject {
public:
    CentreWhenFramed(QWidget& window, int offset)
        : QObject(&window)
        , m_window(window)
        , m_offset(offset)
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (watched == &m_window && (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize) &&
            hasFrame(m_window)) {
            m_window.removeEventFilter(this);
            placeAtCentre(m_window, m_offset);
            deleteLater();
        }
        return false;
    }

private:
    QWidget& m_window;
    int m_offset;
};

} // namespace

QPoint centredPosition(QSize screen, QSize window, int offset)
{
    if (offset > screen.height() || offset > screen.width())
        offset = 0;
    return {(screen.width() - window.width()) / 2 + offset, (screen.height() - window.height()) / 2 + offset};
}

void CentreForm(QWidget& window, int offset)
{
    placeAtCentre(window, offset);
    if (!hasFrame(window))
        new CentreWhenFramed(window, offset);
}
