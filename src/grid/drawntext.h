#pragma once

#include <QtGlobal>

class QFont;
class QString;

// The width, in logical pixels, that text takes when drawn in font at the given device pixel ratio. There the
// font's size is rounded in device pixels: at a ratio of 2 a font of 8.5 points (11.33 pixels) is drawn at 23
// device pixels, wider than the 11 pixels it is measured at by a ratio of 1.
qreal drawnTextWidth(const QFont& font, const QString& text, qreal devicePixelRatio);
