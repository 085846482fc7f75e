#pragma once

#include "grid/gridcellsource.h"

#include <QAbstractTableModel>
#include <QBrush>
#include <QFont>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>

// The cells of the domain grid, kept compactly: three style settings per cell, with the colours in a small shared
// palette, and the texts of the rows its cell source shows formatted when asked for. Only texts written into other
// cells are kept. A list of millions of domains costs a few bytes a cell and no allocation per style.
class GridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // True for a cell that has a note: the view draws a mark in it.
    static constexpr int NoteMarkRole = Qt::UserRole + 1;
    // A cell's note by its model row and column; empty for none. Asked for when a cell is painted or its tooltip
    // shown, so a note follows whatever decides it.
    using NoteSource = std::function<QString(int row, int col)>;

    GridModel(int rows, int columns, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Rows 0 to source->rows() - 1 show the source's rows 1 to rows(); nothing when null.
    void setCellSource(const GridCellSource* source) { m_source = source; }
    // The source's cells of these rows and columns have changed: the views paint them again.
    void sourceChanged(int firstRow, int lastRow, int firstCol, int lastCol);

    QString text(int row, int col) const;
    const QString& headerText(int col) const { return m_headers.at(col); }
    void setText(int row, int col, const QString& text);
    void setHeaderText(int col, const QString& text);
    void setForeground(int row, int col, QRgb colour);
    void setBackground(int row, int col, QRgb colour);
    void setUnderline(int row, int col, bool underline);
    void setUnderlinedFont(const QFont& font) { m_underlinedFont = font; }
    // Of the column's cells and its header.
    void setColumnAlignment(int col, Qt::Alignment alignment) { m_alignments[col] = alignment; }

    void setNoteSource(NoteSource source) { m_notes = std::move(source); }
    // The note of a cell has changed: its view paints it again.
    void noteChanged(int row, int col) { cellChanged(row, col, Qt::ToolTipRole); }

    void appendRow(const QString& firstText);
    // Gives the grid this many columns, every cell, header and style empty.
    void setColumnCount(int columns);
    // Empties every cell and header and drops every style; the rows and columns stay.
    void clearCells();

    // While notifications are held the views are not told of each cell's change; release repaints once.
    void holdNotifications(bool hold);

private:
    static constexpr quint8 noColour = 0xff;

    struct Cell {
        quint8 foreground = noColour; // index into m_palette
        quint8 background = noColour;
        bool underline = false;
    };

    qsizetype at(int row, int col) const { return qsizetype(row) * m_columns + col; }
    Cell& cell(int row, int col) { return m_cells[at(row, col)]; }
    const Cell& cell(int row, int col) const { return m_cells[at(row, col)]; }
    quint8 paletteIndex(QRgb colour);
    void cellChanged(int row, int col, int role);
    void notifyAll();

    int m_columns;
    QList<Cell> m_cells;
    QHash<qsizetype, QString> m_texts; // of cells that the source does not show, by at()
    const GridCellSource* m_source = nullptr;
    QList<QString> m_headers;
    QList<Qt::Alignment> m_alignments;
    QList<QBrush> m_palette;
    QFont m_underlinedFont;
    NoteSource m_notes;
    bool m_held = false;
};
