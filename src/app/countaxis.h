#pragma once

#include <QtGlobal>

class CountText;
class QCategoryAxis;

// Labels a chart's count axis from zero to a little above highest in about steps steps, each one, two or five
// times a power of ten, the labels in the grid's number format ("20.000" in German). A category axis, as
// Qt 6.4's value axis draws no labels once it localises its numbers.
void labelCountAxis(QCategoryAxis& axis, qint64 highest, int steps, const CountText& counts);
