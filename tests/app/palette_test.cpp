#include "app/chartcolours.h"
#include "windowfixture.h"

#include <QApplication>
#include <QImage>
#include <QStyleFactory>

#include <map>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

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
        contrast = std::max(contrast, contrastRatio(QColor(pixel), QColor(background)));
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

TEST(ContrastRatio, MeasuresAsWcagDoes)
{
    // Known figures: #767676 is the lightest grey with 4.5:1 on white, pure red on white reads 4:1.
    const std::tuple<QColor, QColor, double> pairs[] = {
        {Qt::black, Qt::white, 21.0},
        {Qt::white, Qt::black, 21.0},
        {QColor(0x77, 0x77, 0x77), Qt::white, 4.48},
        {QColor(0x76, 0x76, 0x76), Qt::white, 4.54},
        {QColor(0xff, 0x00, 0x00), Qt::white, 4.00},
        {QColor(0x00, 0x00, 0xff), Qt::black, 2.44},
        {QColor(35, 35, 35), QColor(35, 35, 35), 1.0},
    };
    for (const auto& [a, b, ratio] : pairs)
        EXPECT_NEAR(contrastRatio(a, b), ratio, 0.01) << a.name().toStdString() << " on " << b.name().toStdString();
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
