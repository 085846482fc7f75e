#pragma once

#include <QString>

// Where the grid's rows below the header find their text: rows 1 to rows() show what the source formats when a
// cell is drawn or read, so the grid holds no copy of them.
class GridCellSource {
public:
    virtual int rows() const = 0;
    virtual QString cellText(int row, int col) const = 0;
    // What the cell's tooltip says of its text, when the cell has no note of its own.
    virtual QString cellToolTip(int /*row*/, int /*col*/) const { return {}; }

protected:
    ~GridCellSource() = default;
};
