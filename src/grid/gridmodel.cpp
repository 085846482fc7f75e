#include "grid/gridmodel.h"

GridModel::GridModel(int rows, int columns, QObject* parent)
    : QAbstractTableModel(parent)
    , m_columns(columns)
    , m_cells(qsizetype(rows) * columns)
    , m_headers(columns)
    , m_alignments(columns, Qt::AlignLeft | Qt::AlignVCenter)
{
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_cells.size() / m_columns);
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const Cell& c = cell(index.row(), index.column());
    switch (role) {
    case Qt::DisplayRole: {
        const QString shown = text(index.row(), index.column());
        return shown.isEmpty() ? QVariant() : QVariant(shown);
    }
    case Qt::ForegroundRole:
        if (c.foreground != noColour)
            return m_palette.at(c.foreground);
        // A cell given a background of its own is not the palette's, so its text cannot take the palette's
        // colour: white text of a dark theme would vanish on a white cell. It is dark on a light background.
        if (c.background != noColour)
            return QBrush(m_palette.at(c.background).color().lightnessF() > 0.5 ? QColor(Qt::black)
                                                                                : QColor(Qt::white));
        return {};
    case Qt::BackgroundRole:
        return c.background == noColour ? QVariant() : QVariant(m_palette.at(c.background));
    case Qt::FontRole:
        return c.underline ? QVariant(m_underlinedFont) : QVariant();
    case Qt::TextAlignmentRole:
        return static_cast<int>(m_alignments.at(index.column()));
    case Qt::ToolTipRole:
    case NoteMarkRole: {
        const QString note = m_notes ? m_notes(index.row(), index.column()) : QString();
        if (role == NoteMarkRole)
            return !note.isEmpty();
        if (!note.isEmpty())
            return note;
        // Unmarked, a cell may still explain its text.
        const bool sourced = m_source && index.row() < m_source->rows() && index.column() < m_columns - 1;
        const QString tip = sourced ? m_source->cellToolTip(index.row() + 1, index.column()) : QString();
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns)
        return {};
    if (role == Qt::DisplayRole)
        return m_headers.at(section);
    if (role == Qt::TextAlignmentRole)
        return static_cast<int>(m_alignments.at(section));
    return {};
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

QString GridModel::text(int row, int col) const
{
    if (m_source && row < m_source->rows() && col < m_columns - 1)
        return m_source->cellText(row + 1, col);
    return m_texts.value(at(row, col));
}

void GridModel::setText(int row, int col, const QString& text)
{
    if (text.isEmpty())
        m_texts.remove(at(row, col));
    else
        m_texts.insert(at(row, col), text);
    cellChanged(row, col, Qt::DisplayRole);
}

void GridModel::sourceChanged(int firstRow, int lastRow, int firstCol, int lastCol)
{
    if (!m_held && firstRow <= lastRow)
        Q_EMIT dataChanged(index(firstRow, firstCol), index(lastRow, lastCol), {Qt::DisplayRole});
}

void GridModel::setHeaderText(int col, const QString& text)
{
    m_headers[col] = text;
    if (!m_held)
        Q_EMIT headerDataChanged(Qt::Horizontal, col, col);
}

void GridModel::setForeground(int row, int col, QRgb colour)
{
    cell(row, col).foreground = paletteIndex(colour);
    cellChanged(row, col, Qt::ForegroundRole);
}

void GridModel::setBackground(int row, int col, QRgb colour)
{
    cell(row, col).background = paletteIndex(colour);
    cellChanged(row, col, Qt::BackgroundRole);
}

void GridModel::setUnderline(int row, int col, bool underline)
{
    cell(row, col).underline = underline;
    cellChanged(row, col, Qt::FontRole);
}

void GridModel::appendRow(const QString& firstText)
{
    const int row = rowCount();
    beginInsertRows({}, row, row);
    m_cells.resize(m_cells.size() + m_columns);
    if (!firstText.isEmpty())
        m_texts.insert(at(row, 0), firstText);
    endInsertRows();
}

void GridModel::setColumnCount(int columns)
{
    beginResetModel();
    const int rows = rowCount();
    m_columns = columns;
    m_cells = QList<Cell>(qsizetype(rows) * columns);
    m_texts.clear();
    m_headers = QList<QString>(columns);
    m_alignments = QList<Qt::Alignment>(columns, Qt::AlignLeft | Qt::AlignVCenter);
    endResetModel();
}

void GridModel::clearCells()
{
    for (Cell& c : m_cells)
        c = Cell{};
    m_texts.clear();
    for (QString& header : m_headers)
        header.clear();
    if (!m_held)
        notifyAll();
}

void GridModel::notifyAll()
{
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, m_columns - 1);
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, m_columns - 1));
}

void GridModel::holdNotifications(bool hold)
{
    m_held = hold;
    if (!hold)
        notifyAll();
}

quint8 GridModel::paletteIndex(QRgb colour)
{
    for (qsizetype i = 0; i < m_palette.size(); ++i) {
        if (m_palette.at(i).color().rgb() == colour)
            return static_cast<quint8>(i);
    }
    if (m_palette.size() >= noColour)
        return noColour; // the grid uses two colours; more than 254 are not kept
    m_palette.append(QBrush(QColor(colour)));
    return static_cast<quint8>(m_palette.size() - 1);
}

void GridModel::cellChanged(int row, int col, int role)
{
    if (m_held)
        return;
    const QModelIndex changed = index(row, col);
    Q_EMIT dataChanged(changed, changed, {role});
}
