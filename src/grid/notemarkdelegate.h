#pragma once

#include <QStyledItemDelegate>

// Paints cells as usual, and a small triangle in the top left corner of every cell that has a note (as a
// spreadsheet marks a comment): a shape, so that it shows in grey and under any palette. The corner stays clear
// of the text of the grid's count columns, which is right-aligned. A cell cut by the view's right edge shows
// its text elided.
class NoteMarkDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
