#pragma once

#include <QColor>

// The contrast ratio between two colours as WCAG 2 measures it: 1 (alike) to 21 (black on white).
double contrastRatio(const QColor& a, const QColor& b);

// The colour share of the way from one colour to another (0: from, 1: to).
QColor mixed(const QColor& from, const QColor& to, double share);

// The hue, moved towards black or white until it stands out from the background as much as a line in a chart
// must (a contrast of 3:1).
QColor readableOn(const QColor& hue, const QColor& background);

// The hue of a source's line: hues told apart also by those who do not see every colour, the sources' in turn.
QColor sourceHue(int source);
