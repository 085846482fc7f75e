#include "app/windowplace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

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

bool WindowPlace::restore(QWidget& window) const
{
    const QByteArray geometry = openSettings(m_settingsFile)->value(geometryKey).toByteArray();
    if (geometry.isEmpty())
        return false;
    const QRect before = window.geometry();
    if (!window.restoreGeometry(geometry))
        return false;
    // A place on a screen that is no longer there, or one that would show the window mostly off screen, is not
    // taken: the window goes back to where it was put.
    const QRect placed = window.frameGeometry();
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect visible = screen->availableGeometry().intersected(placed);
        if (visible.width() * 2 >= placed.width() && visible.height() * 2 >= placed.height())
            return true;
    }
    window.setGeometry(before);
    return false;
}

void WindowPlace::save(const QWidget& window) const
{
    openSettings(m_settingsFile)->setValue(geometryKey, window.saveGeometry());
}
