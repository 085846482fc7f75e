#pragma once

#include "grid/gridcontrol.h"

#include <QAccessible>
#include <QHash>
#include <QList>
#include <QTableView>

#include <functional>

class GridModel;

// The domain grid on screen: a table view whose horizontal header plays the fixed row 0. It offers the operations
// of GridControl in twips and reports presses, releases and clicks as MouseDown, MouseUp and Click with positions
// in twips from the grid's top-left corner inside its frame. Sizes are those drawn, in whole pixels; only the
// filler column, drawn to the visible edge, keeps the width it was given. The columns between the first and the
// filler (the total and the counts) show their numbers right-aligned and widen to fit their widest text, header
// included; the filler gives way. The domain column widens to its longest domain, up to a limit. Shift with the
// arrow keys or a press selects a rectangle of cells, Ctrl+A the whole list, and Ctrl+C copies the selection.
class GridWidget : public QTableView, public GridControl {
    Q_OBJECT

public:
    static constexpr int InitialRows = 30;

    explicit GridWidget(QWidget* parent = nullptr);

    int Rows() const override;
    int Cols() const override;
    void setCols(int cols) override;
    int Row() const override { return m_row; }
    void setRow(int row) override;
    int Col() const override { return m_col; }
    void setCol(int col) override;

    void setText(const QString& text) override { setTextMatrix(m_row, m_col, text); }
    QString TextMatrix(int row, int col) const override;
    void setTextMatrix(int row, int col, const QString& text) override;
    void setCellSource(const GridCellSource* source) override;
    void cellsChanged(int firstRow, int lastRow, int firstCol, int lastCol) override;
    void fitColumn(int col, const QString& text) override { fitText(1, col, text); }

    int ColWidth(int col) const override;
    void setColWidth(int col, int twips) override;
    int RowHeight(int row) const override;
    bool ColIsVisible(int col) const override;
    bool RowIsVisible(int row) const override;

    void setCellForeColor(CellColour colour) override;
    void setCellBackColor(CellColour colour) override;
    void setCellFontUnderline(bool underline) override;

    void AddItem(const QString& text) override;
    void Clear() override;
    void setRedraw(bool redraw) override;
    int Width() const override;

    double twipsPerPixelX() const;
    double twipsPerPixelY() const;

    // A cell's data for a display role (text, colours, font, tooltip), as the view paints it.
    QVariant cellData(int row, int col, int role) const;

    // Where cells find their notes, by grid row and column; a cell with a note shows it as its tooltip and
    // carries a mark. noteChanged repaints a cell whose note has changed.
    using CellNotes = std::function<QString(int row, int col)>;
    void setCellNotes(CellNotes notes);
    void noteChanged(int row, int col);

    // The rows of the model down to the last with a domain: the list, without the blank rows below it.
    int listedRows() const;
    // Narrows a domain column that a long domain has widened, back to its laid-out width at most, as far as the
    // other columns then show whole: when the grid is too narrow for them, the counts come before the domains.
    // The grid does so itself whenever it is resized.
    void narrowDomainToFit();
    // The widest the domain column grows to fit a long domain, in pixels; 0 (the default) for half of the grid's
    // width. A fixed limit keeps a window that widens to show its columns from widening the domain column again.
    void setDomainWidthLimit(int pixels) { m_domainWidthLimit = pixels; }
    // Where a pop-up menu for the current cell opens: its bottom left corner, scrolled into view, in global
    // coordinates.
    QPoint currentCellPopupPosition();
    // A domain as wide as it is drawn in a cell, margins and grid line included.
    int domainTextWidth(const QString& text) const;
    // The rows of the list and the columns before the filler that the selection covers, each in order; the
    // current cell's when nothing is selected. Blank rows below the list are left out.
    struct CellRange {
        QList<int> rows;
        QList<int> cols;
    };
    CellRange selectedCells() const;
    // Puts the selected cells on the clipboard as tab-separated text with their captions (see tableCopyText);
    // nothing when they are none.
    void copySelection();
    // Selects every cell of the list, the filler and the blank rows below the list aside.
    void selectAll() override;
    // The width, frame and vertical scroll bar included, at which the grid shows every column but the filler whole,
    // and the filler at its narrowest, so that no horizontal scroll bar shows.
    int widthForColumns() const;

Q_SIGNALS:
    // A column has widened to fit its text (told once the redraw is on).
    void columnWidened();
    // The Menu key or Shift+F10 asks for the pop-up menu of the current cell.
    void popupKeyPressed();
    // button: 1 left, 2 right, 4 middle; shift: 1 Shift, 2 Ctrl, 4 Alt; x and y in twips.
    void MouseDown(int button, int shift, float x, float y);
    void MouseUp(int button, int shift, float x, float y);
    void Click();

protected:
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Shift grows a range from the cell where it started, by key or click; every other move, the program's own
    // included, selects the one cell it moves to.
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;

private:
    // An accessibility event about the cell at index, numbered as the grid's accessible table numbers it.
    void tellScreenReaders(QAccessible::Event type, const QModelIndex& index);
    void showCurrentCell();
    // Lays out the columns: the counts right-aligned, the filler stretched to the visible edge.
    void arrangeColumns();
    int fillerColumn() const { return Cols() - 1; }
    void emitMouseEvent(const QMouseEvent* event, QWidget* source, bool press);
    int toPixelsX(int twips) const;
    void fitText(int row, int col, const QString& text);
    int cellTextWidth(const QString& text);

    GridModel* m_model;
    int m_fillerTwips = 0;
    // The pixels a cell needs for a text of each shape in the grid's font; forgotten when the font changes.
    struct CellTextWidths {
        QChar widestDigit; // null until measured
        QHash<QString, int> byShape;
    };
    CellTextWidths m_cellTextWidths;
    int m_domainWidthLimit = 0;
    int m_domainLaidOutWidth = 0;  // in pixels, as setColWidth last set it
    qsizetype m_longestDomain = 0; // in characters, of the domains measured since the grid was cleared
    int m_row = 0;
    int m_col = 0;
    bool m_redraw = true;
    bool m_widenedUnseen = false; // a column widened while the redraw was off
};
