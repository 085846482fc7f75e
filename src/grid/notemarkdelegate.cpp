#include "grid/notemarkdelegate.h"

#include "grid/gridmodel.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

void NoteMarkDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    // A cell that the view's right edge cuts shows its text shortened with an ellipsis, never in part: the
    // visible digits of a right-aligned count would read as another number.
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    if (view && option.rect.right() >= view->viewport()->width()) {
        QStyleOptionViewItem cut(option);
        cut.rect.setRight(view->viewport()->width() - 1);
        cut.textElideMode = Qt::ElideRight;
        QStyledItemDelegate::paint(painter, cut, index);
    } else {
        QStyledItemDelegate::paint(painter, option, index);
    }
    if (!index.data(GridModel::NoteMarkRole).toBool())
        return;

    // Dark on a light cell, light on a dark one, whatever colour the cell was given.
    const QVariant background = index.data(Qt::BackgroundRole);
    const QColor cell =
        background.canConvert<QBrush>() ? background.value<QBrush>().color() : option.palette.color(QPalette::Base);
    const QColor mark = cell.lightnessF() > 0.5 ? QColor(176, 0, 0) : QColor(255, 176, 96);

    // About the space above a line of text, and never less than a few pixels.
    const int side = std::max(5, (option.rect.height() - option.fontMetrics.height()) / 2 + 2);
    const QPointF corner = option.rect.topLeft() + QPointF(1, 1);
    QPainterPath triangle(corner);
    triangle.lineTo(corner + QPointF(side, 0));
    triangle.lineTo(corner + QPointF(0, side));
    triangle.closeSubpath();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillPath(triangle, mark);
    painter->restore();
}
