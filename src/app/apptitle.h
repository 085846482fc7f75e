#pragma once

#include <QString>

// The application's title: the About item's caption, and the title of message boxes without one of their own.
inline const QString ApplicationTitle = QStringLiteral("Brenlow");
