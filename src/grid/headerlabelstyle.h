#pragma once

#include <QProxyStyle>

// The style of the grid's header: as the application's, but a right-aligned label keeps a margin from the line
// at its section's right edge, the margin the cells keep, so that a column's title ends where its numbers end.
class HeaderLabelStyle final : public QProxyStyle {
public:
    explicit HeaderLabelStyle(int margin);

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;

private:
    int m_margin;
};
