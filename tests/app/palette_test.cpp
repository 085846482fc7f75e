#include "windowfixture.h"

#include <QApplication>
#include <QImage>
#include <QStyleFactory>

#include <cmath>
#include <map>

using namespace Qt::StringLiterals;

namespace {

double luminance(QRgb pixel)
{
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(pixel)) + 0.7152 * channel(qGreen(pixel)) + 0.0722 * channel(qBlue(pixel));
}

// The contrast, as WCAG measures it, between a cell's background (its commonest colour as drawn) and its text
// (the drawn colour that differs from the background most).
double drawnContrast(const QImage& cell)
{
    std::map<QRgb, int> counts;
    for (int y = 0; y < cell.height(); ++y) {
        for (int x = 0; x < cell.width(); ++x)
            ++counts[cell.pixel(x, y)];
    }
    const QRgb background =
        std::max_element(counts.begin(), counts.end(), [](auto a, auto b) { return a.second < b.second; })->first;
    double contrast = 1;
    for (const auto& [pixel, count] : counts) {
        const double a = luminance(pixel) + 0.05;
        const double b = luminance(background) + 0.05;
        contrast = std::max(contrast, std::max(a, b) / std::min(a, b));
    }
    return contrast;
}

QPalette darkPalette()
{
    QPalette dark;
    const std::pair<QPalette::ColorRole, QColor> colours[] = {
        {QPalette::Window, QColor(53, 53, 53)},
        {QPalette::WindowText, Qt::white},
        {QPalette::Base, QColor(35, 35, 35)},
        {QPalette::AlternateBase, QColor(53, 53, 53)},
        {QPalette::Text, Qt::white},
        {QPalette::Button, QColor(53, 53, 53)},
        {QPalette::ButtonText, Qt::white},
        {QPalette::Highlight, QColor(42, 130, 218)},
        {QPalette::HighlightedText, Qt::black},
    };
    for (const auto& [role, colour] : colours)
        dark.setColor(role, colour);
    return dark;
}

QPalette highContrastPalette()
{
    QPalette contrast(Qt::black);
    contrast.setColor(QPalette::Text, Qt::yellow);
    contrast.setColor(QPalette::WindowText, Qt::white);
    contrast.setColor(QPalette::Base, Qt::black);
    return contrast;
}

TEST_F(WindowTest, CountsAndDomainsStandOutFromTheirCellsUnderEveryPalette)
{
    const std::pair<const char*, QPalette> palettes[] = {
        {"default", QApplication::style()->standardPalette()},
        {"dark", darkPalette()},
        {"high contrast", highContrastPalette()},
    };
    for (const auto& [name, palette] : palettes) {
        SCOPED_TRACE(name);
        m_program.reset();
        start("a.com|AllTheWeb=1,234|AltaVista=0|Google=56|HotBot=0|MSN=7|\r\n");
        window().setPalette(palette);
        grid().makeCurrent(2, 0); // the cells looked at are not the current one
        QCoreApplication::processEvents();
        const QImage drawn = grid().viewport()->grab().toImage();
        for (int col = 0; col < 7; ++col) {
            const QRect cell = grid().visualRect(grid().model()->index(0, col)).adjusted(2, 2, -2, -2);
            const qreal ratio = drawn.devicePixelRatio();
            const QRect pixels(cell.topLeft() * ratio, cell.size() * ratio);
            EXPECT_GE(drawnContrast(drawn.copy(pixels)), 4.5) << "column " << col;
        }
    }
}

} // namespace
