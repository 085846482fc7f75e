#pragma once

#include <QList>
#include <QRect>

// Where the buttons of one row go in a width: at the places given while the whole row fits left of right;
// otherwise left to right from the first button's left edge, spacing apart, onto as many lines as the width needs,
// each line gap below the one before. A button wider than the width gets a line of its own.
QList<QRect> flowButtons(const QList<QRect>& places, int right, int spacing, int gap);

// The height from the top of the first of places to the bottom of the lowest.
int flowHeight(const QList<QRect>& places);
