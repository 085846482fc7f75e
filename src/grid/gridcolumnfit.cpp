#include "grid/gridwidget.h"

#include "grid/drawntext.h"
#include "grid/gridcolumns.h"
#include "grid/gridmodel.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QStyle>

#include <algorithm>
#include <cmath>

// The grid's columns, and how they fit their text: counts widen their columns, a long domain widens its own up to a
// limit, and a grid too narrow for the counts takes back what a domain added.

int GridWidget::Cols() const
{
    return m_model->columnCount();
}

void GridWidget::setCols(int cols)
{
    if (cols == Cols())
        return;
    m_model->setColumnCount(cols);
    arrangeColumns();
}

void GridWidget::arrangeColumns()
{
    QHeaderView* header = horizontalHeader();
    for (int col = 0; col < Cols(); ++col) {
        header->setSectionResizeMode(col, QHeaderView::Fixed);
        // Numbers line up by their last digit, so that counts of different sizes compare at a glance.
        if (col >= GridColumn::Total && col < fillerColumn())
            m_model->setColumnAlignment(col, Qt::AlignRight | Qt::AlignVCenter);
    }
    // The filler column reaches the visible edge, so no scroll bar appears for its last few pixels.
    header->setSectionResizeMode(fillerColumn(), QHeaderView::Stretch);
    m_fillerTwips = static_cast<int>(std::lround(columnWidth(fillerColumn()) * twipsPerPixelX()));
}

void GridWidget::fitText(int row, int col, const QString& text)
{
    if (col >= fillerColumn() || text.isEmpty())
        return;
    int needed = 0;
    if (col == GridColumn::Domain) {
        // A long domain widens its column up to its limit; what is still cut shows in a tooltip. A domain is
        // measured only when it is nearly as long as the longest so far, as its width goes with its length.
        if (row == 0 || text.size() * 10 < m_longestDomain * 9)
            return;
        m_longestDomain = std::max(m_longestDomain, text.size());
        needed = std::min(domainTextWidth(text), m_domainWidthLimit > 0 ? m_domainWidthLimit : width() / 2);
    } else {
        needed = row == 0 ? horizontalHeader()->sectionSizeHint(col) : cellTextWidth(text);
    }
    const int wider = needed - columnWidth(col);
    if (wider <= 0)
        return;
    setColumnWidth(col, needed);
    m_fillerTwips = std::max(m_fillerTwips - static_cast<int>(std::lround(wider * twipsPerPixelX())), 0);
    // While the redraw is off the columns are being laid out; what they come to is told when it is back on.
    if (m_redraw)
        Q_EMIT columnWidened();
    else
        m_widenedUnseen = true;
}

int GridWidget::domainTextWidth(const QString& text) const
{
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return static_cast<int>(std::ceil(drawnTextWidth(font(), text, devicePixelRatioF()))) + 2 * margin +
           (showGrid() ? 1 : 0);
}

int GridWidget::widthForColumns() const
{
    // The filler, stretched to the visible edge, keeps the header's smallest section width.
    int width = 2 * frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) +
                horizontalHeader()->minimumSectionSize();
    for (int col = 0; col < fillerColumn(); ++col)
        width += columnWidth(col);
    return width;
}

int GridWidget::cellTextWidth(const QString& text)
{
    // Measuring every count of a long list would cost more than showing it. Counts differ mostly in their
    // digits, so texts are measured with each digit replaced by the widest one, once per shape.
    CellTextWidths& known = m_cellTextWidths;
    if (known.widestDigit.isNull()) {
        const QFontMetricsF metrics(font());
        known.widestDigit = u'0';
        for (char16_t digit = u'1'; digit <= u'9'; ++digit) {
            if (metrics.horizontalAdvance(QChar(digit)) > metrics.horizontalAdvance(known.widestDigit))
                known.widestDigit = QChar(digit);
        }
    }
    QString shape = text;
    for (QChar& c : shape) {
        if (c >= u'0' && c <= u'9')
            c = known.widestDigit;
    }
    if (const auto found = known.byShape.constFind(shape); found != known.byShape.cend())
        return *found;
    // As the view lays out a cell: the text, a margin on either side and the grid line.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int width = static_cast<int>(std::ceil(drawnTextWidth(font(), shape, devicePixelRatioF()))) + 2 * margin +
                      (showGrid() ? 1 : 0);
    known.byShape.insert(shape, width);
    return width;
}

void GridWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        m_cellTextWidths = {};
    QTableView::changeEvent(event);
}

void GridWidget::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    narrowDomainToFit();
}

void GridWidget::narrowDomainToFit()
{
    // Only what a long domain added goes, and the filler keeps what is left of the grid's width.
    const int excess = widthForColumns() - width();
    const int domain = columnWidth(GridColumn::Domain);
    const int narrower = std::max(domain - std::max(excess, 0), std::min(m_domainLaidOutWidth, domain));
    if (narrower == domain)
        return;
    setColumnWidth(GridColumn::Domain, narrower);
    int used = 0;
    for (int col = 0; col < fillerColumn(); ++col)
        used += ColWidth(col);
    m_fillerTwips = std::max(Width() - used, 0);
}
