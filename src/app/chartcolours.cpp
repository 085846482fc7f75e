#include "app/chartcolours.h"

#include <algorithm>
#include <cmath>

namespace {

double luminance(const QColor& colour)
{
    const auto channel = [](float c) { return c <= 0.03928f ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

} // namespace

double contrastRatio(const QColor& a, const QColor& b)
{
    const double la = luminance(a) + 0.05;
    const double lb = luminance(b) + 0.05;
    return std::max(la, lb) / std::min(la, lb);
}

QColor mixed(const QColor& from, const QColor& to, double share)
{
    const QColor a = from.toRgb();
    const QColor b = to.toRgb();
    const auto mix = [share](float x, float y) { return x + (y - x) * float(share); };
    return QColor::fromRgbF(mix(a.redF(), b.redF()), mix(a.greenF(), b.greenF()), mix(a.blueF(), b.blueF()));
}

// The hue, moved towards black or white until it stands out from the background as much as a line in a chart
// must (3:1).
QColor readableOn(const QColor& hue, const QColor& background)
{
    const QColor towards =
        contrastRatio(Qt::black, background) > contrastRatio(Qt::white, background) ? Qt::black : Qt::white;
    QColor colour = hue;
    for (int step = 1; step <= 10 && contrastRatio(colour, background) < 3.0; ++step)
        colour = mixed(hue, towards, step / 10.0);
    return colour;
}

namespace {

// Hues told apart also by those who do not see every colour, the sources' in turn; each is made light or dark
// enough for the background.
const QColor sourceHues[]{QColor(0, 114, 178), QColor(213, 94, 0),   QColor(0, 158, 115),  QColor(204, 121, 167),
                          QColor(230, 159, 0), QColor(86, 180, 233), QColor(240, 228, 66), QColor(0, 0, 0)};

} // namespace

QColor sourceHue(int source)
{
    return sourceHues[std::size_t(source) % std::size(sourceHues)];
}
