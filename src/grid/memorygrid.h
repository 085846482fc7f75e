#pragma once

#include "grid/gridcontrol.h"

#include <QList>
#include <QString>

// The domain grid in memory, for a front end without a screen: the cells' texts, the column widths and the
// current cell. Styles have nothing to show on and are dropped; every row and column counts as in view.
class MemoryGrid final : public GridControl {
public:
    static constexpr int InitialRows = 30;
    static constexpr int ColumnCount = 8;
    static constexpr int WidthTwips = 9000; // the grid's width in the window's design

    MemoryGrid();

    int Rows() const override { return int(m_cells.size() / ColumnCount); }
    int Cols() const override { return ColumnCount; }
    int Row() const override { return m_row; }
    void setRow(int row) override { m_row = row; }
    int Col() const override { return m_col; }
    void setCol(int col) override { m_col = col; }

    void setText(const QString& text) override { setTextMatrix(m_row, m_col, text); }
    QString TextMatrix(int row, int col) const override { return m_cells.at(row * ColumnCount + col); }
    void setTextMatrix(int row, int col, const QString& text) override { m_cells[row * ColumnCount + col] = text; }

    int ColWidth(int col) const override { return m_colWidths.at(col); }
    void setColWidth(int col, int twips) override { m_colWidths[col] = twips; }
    int RowHeight(int) const override { return RowHeightTwips; }
    bool ColIsVisible(int) const override { return true; }
    bool RowIsVisible(int) const override { return true; }

    void setCellForeColor(CellColour) override {}
    void setCellBackColor(CellColour) override {}
    void setCellFontUnderline(bool) override {}

    void AddItem(const QString& text) override;
    void Clear() override;
    void setRedraw(bool) override {}
    int Width() const override { return WidthTwips; }

private:
    static constexpr int RowHeightTwips = 240;

    QList<QString> m_cells;
    QList<int> m_colWidths;
    int m_row = 0;
    int m_col = 0;
};
