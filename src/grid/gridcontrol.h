#pragma once

#include <QString>

class GridCellSource;

// The operations of the domain grid that the program's logic uses, and nothing else, so that the logic does not
// depend on a widget. Row 0 is the fixed header row; sizes and positions are in twips (1/1440 inch).
// Style operations act on the current cell (Row, Col).

struct CellColour {
    int red = 0;
    int green = 0;
    int blue = 0;
};

class GridControl {
public:
    virtual ~GridControl() = default;

    virtual int Rows() const = 0; // header row included
    virtual int Cols() const = 0;
    // Sets the number of columns; every cell and style is then empty.
    virtual void setCols(int cols) = 0;

    virtual int Row() const = 0;
    virtual void setRow(int row) = 0;
    virtual int Col() const = 0;
    virtual void setCol(int col) = 0;

    virtual void setText(const QString& text) = 0; // of the current cell
    // A cell's text as the grid shows it.
    virtual QString TextMatrix(int row, int col) const = 0;
    // Of the header row and of rows that the cell source does not show.
    virtual void setTextMatrix(int row, int col, const QString& text) = 0;
    // Rows 1 to source->rows() show the source's texts, but for the filler; none when null.
    virtual void setCellSource(const GridCellSource* source) = 0;
    // The source's texts of these cells have changed: the grid shows them again.
    virtual void cellsChanged(int firstRow, int lastRow, int firstCol, int lastCol) = 0;
    // Widens a column, if need be, so that a text of the source's shows whole in it.
    virtual void fitColumn(int col, const QString& text) = 0;

    virtual int ColWidth(int col) const = 0;
    virtual void setColWidth(int col, int twips) = 0;
    virtual int RowHeight(int row) const = 0;     // of the part in view, when a row is scrolled partly out of view
    virtual bool ColIsVisible(int col) const = 0; // scrolled into view
    virtual bool RowIsVisible(int row) const = 0;

    virtual void setCellForeColor(CellColour colour) = 0;
    virtual void setCellBackColor(CellColour colour) = 0;
    virtual void setCellFontUnderline(bool underline) = 0;

    virtual void AddItem(const QString& text) = 0; // appends a row; text goes into its first cell
    virtual void Clear() = 0;                      // empties every cell, header included, and resets styles
    virtual void setRedraw(bool redraw) = 0;
    virtual int Width() const = 0; // outer width

    // Makes (row, col) the current cell.
    void makeCurrent(int row, int col)
    {
        setRow(row);
        setCol(col);
    }
};
