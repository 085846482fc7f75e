#include "app/buttonflow.h"

#include <algorithm>

QList<QRect> flowButtons(const QList<QRect>& places, int right, int spacing, int gap)
{
    if (places.isEmpty() ||
        std::all_of(places.begin(), places.end(), [right](const QRect& place) { return place.right() <= right; }))
        return places;
    const int left = places.first().left();
    QPoint next = places.first().topLeft();
    int lineHeight = 0;
    QList<QRect> flowed;
    for (const QRect& place : places) {
        if (next.x() > left && next.x() + place.width() - 1 > right) {
            next = QPoint(left, next.y() + lineHeight + gap);
            lineHeight = 0;
        }
        flowed.append(QRect(next, place.size()));
        next.rx() += place.width() + spacing;
        lineHeight = std::max(lineHeight, place.height());
    }
    return flowed;
}

int flowHeight(const QList<QRect>& places)
{
    if (places.isEmpty())
        return 0;
    int bottom = places.first().bottom();
    for (const QRect& place : places)
        bottom = std::max(bottom, place.bottom());
    return bottom - places.first().top() + 1;
}
