#include "grid/drawntext.h"

#include <QFont>
#include <QFontMetricsF>
#include <QString>

#include <algorithm>

qreal drawnTextWidth(const QFont& font, const QString& text, qreal devicePixelRatio)
{
    const qreal width = QFontMetricsF(font).horizontalAdvance(text);
    if (devicePixelRatio == 1.0)
        return width;
    QFont device = font;
    if (font.pixelSize() > 0)
        device.setPixelSize(qRound(font.pixelSize() * devicePixelRatio));
    else
        device.setPointSizeF(font.pointSizeF() * devicePixelRatio);
    return std::max(width, QFontMetricsF(device).horizontalAdvance(text) / devicePixelRatio);
}
