#include "grid/headerlabelstyle.h"

#include <QStyleOptionHeader>

HeaderLabelStyle::HeaderLabelStyle(int margin)
    : m_margin(margin)
{
}

void HeaderLabelStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                   const QWidget* widget) const
{
    const auto* header = qstyleoption_cast<const QStyleOptionHeader*>(option);
    if (element == CE_HeaderLabel && header && header->textAlignment.testFlag(Qt::AlignRight)) {
        QStyleOptionHeader inside(*header);
        inside.rect.adjust(0, 0, -m_margin, 0);
        QProxyStyle::drawControl(element, &inside, painter, widget);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

QSize HeaderLabelStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                         const QWidget* widget) const
{
    QSize needed = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type == CT_HeaderSection)
        needed.rwidth() += m_margin;
    return needed;
}
