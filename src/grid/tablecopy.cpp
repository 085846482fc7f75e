#include "grid/tablecopy.h"

#include "grid/gridcontrol.h"

namespace {

void appendLine(QString& text, const GridControl& grid, int row, const QList<int>& cols)
{
    for (qsizetype k = 0; k < cols.size(); ++k) {
        if (k > 0)
            text += u'\t';
        QString cell = grid.TextMatrix(row, cols[k]);
        for (qsizetype at = 0; at < cell.size(); ++at) {
            QChar& c = cell[at];
            if (c == u'\t' || c == u'\r' || c == u'\n')
                c = u' ';
            // A byte that is not valid UTF-8 (see textFromBytes) is drawn as the replacement character.
            else if (c.isLowSurrogate() && !(at > 0 && cell[at - 1].isHighSurrogate()))
                c = QChar::ReplacementCharacter;
        }
        text += cell;
    }
    text += u'\n';
}

} // namespace

QString tableCopyText(const GridControl& grid, const QList<int>& rows, const QList<int>& cols)
{
    QString text;
    appendLine(text, grid, 0, cols);
    for (const int row : rows)
        appendLine(text, grid, row, cols);
    return text;
}
