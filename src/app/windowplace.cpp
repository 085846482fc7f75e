#include "app/windowplace.h"

#include "app/centreform.h"

#include <QSettings>
#include <QWidget>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString positionKey = u"MainWindow/position"_s;
const QString sizeKey = u"MainWindow/size"_s;
const QString maximizedKey = u"MainWindow/maximized"_s;
// The place as earlier versions kept it, taken when there is no other.
const QString geometryKey = u"MainWindow/geometry"_s;

std::unique_ptr<QSettings> openSettings(const QString& file)
{
    if (file.isEmpty())
        return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, u"brenlow"_s, u"brenlow"_s);
    return std::make_unique<QSettings>(file, QSettings::IniFormat);
}

} // namespace

WindowPlace::WindowPlace(QString settingsFile)
    : m_settingsFile(std::move(settingsFile))
{
}

bool WindowPlace::restore(QWidget& window, const AvailableArea& area) const
{
    const std::unique_ptr<QSettings> settings = openSettings(m_settingsFile);
    const QPoint position = settings->value(positionKey).toPoint();
    const QSize size = settings->value(sizeKey).toSize();
    if (!settings->contains(positionKey) || !size.isValid()) {
        if (!window.restoreGeometry(settings->value(geometryKey).toByteArray()))
            return false;
        fitOntoArea(window, area(window));
        return true;
    }
    window.resize(size);
    window.move(position);
    fitOntoArea(window, area(window));
    // A window system that places a new window's inside where its frame was asked for would move it down by its
    // title bar at each start: once framed, the frame goes where it was.
    const QPoint placed = window.pos();
    whenFramed(window, [&window, placed, area] {
        window.move(placed);
        fitOntoArea(window, area(window));
    });
    if (settings->value(maximizedKey).toBool())
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    return true;
}

void WindowPlace::save(const QWidget& window) const
{
    const std::unique_ptr<QSettings> settings = openSettings(m_settingsFile);
    const bool maximized = window.isMaximized() || window.isFullScreen();
    // A maximised window keeps the place and size it goes back to.
    const QRect normal = maximized ? window.normalGeometry() : window.geometry();
    const QPoint frameOffset = window.geometry().topLeft() - window.frameGeometry().topLeft();
    settings->setValue(positionKey, normal.topLeft() - frameOffset);
    settings->setValue(sizeKey, normal.size());
    settings->setValue(maximizedKey, maximized);
    settings->remove(geometryKey);
}
