#include "app/countaxis.h"

#include "engine/counttext.h"

#include <QCategoryAxis>

#include <algorithm>

namespace {

// About steps steps from zero to the highest count, each one, two or five times a power of ten.
qint64 countStep(qint64 highest, int steps)
{
    const qint64 rough = std::max<qint64>(highest / steps, 1);
    qint64 power = 1;
    while (power <= rough / 10)
        power *= 10;
    for (const qint64 factor : {1, 2, 5}) {
        if (power * factor >= rough)
            return power * factor;
    }
    return power * 10;
}

} // namespace

void labelCountAxis(QCategoryAxis& axis, qint64 highest, int steps, const CountText& counts)
{
    for (const QString& label : axis.categoriesLabels())
        axis.remove(label);
    const qint64 step = countStep(highest, steps);
    // A little room above the highest point.
    const qint64 top = step * ((highest + highest / 20) / step + 1);
    axis.setStartValue(0);
    for (qint64 value = 0; value <= top; value += step)
        axis.append(counts.format(value), qreal(value));
    axis.setRange(0, qreal(top));
}
