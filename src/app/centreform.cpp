#include "app/centreform.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <utility>

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

// Runs an action once, as soon as a window gets its frame, which happens after it is shown (on X11 when the
// window manager has reparented it).
class WhenFramed final : public QObject {
public:
    WhenFramed(QWidget& window, std::function<void()> action)
        : QObject(&window)
        , m_window(window)
        , m_action(std::move(action))
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
            m_action();
            deleteLater();
        }
        return false;
    }

private:
    QWidget& m_window;
    std::function<void()> m_action;
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
    whenFramed(window, [&window, offset] { placeAtCentre(window, offset); });
}

void whenFramed(QWidget& window, std::function<void()> action)
{
    if (!hasFrame(window))
        new WhenFramed(window, std::move(action));
}
