#pragma once

#include <QList>
#include <QString>

#include <cstdio>

// The help's layout: paragraphs and tables of terms wrapped to the width of the terminal that shows them.

// A paragraph of the help (no term), or a term with its description beside it.
struct HelpItem {
    QString term;
    QString text;
};

// 80 columns, or the terminal's width when the help goes to a terminal that is narrower.
int helpWidth(std::FILE* out);

// The text as lines of at most width columns, each led by indent spaces; a word longer than a line stands alone.
QString wrappedText(const QString& text, int width, int indent = 0);

// Paragraphs wrapped to width, a blank line between them; terms indented by two, their descriptions in a column of
// their own, or below the term, further indented, when the column would leave the description too little room.
QString helpItemsText(const QList<HelpItem>& items, int width);
