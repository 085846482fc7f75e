#include "app/historyview.h"

#include "app/chartcolours.h"

#include <QChart>
#include <QChartView>
#include <QEvent>
#include <QLineSeries>
#include <QScatterSeries>

// The history view's colours and fonts, taken from the palette and the widget's font whenever either changes.

namespace {

const QColor failureHue(220, 0, 0);

} // namespace

void HistoryView::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange)
        decorate();
}

void HistoryView::decorate()
{
    // The chart's themes know nothing of the palette: every colour it draws is set here from the palette.
    const QColor background = palette().color(QPalette::Base);
    const QColor text = palette().color(QPalette::Text);
    QChart& c = chart();
    c.setBackgroundBrush(background);
    c.setBackgroundPen(Qt::NoPen);
    c.setTitleBrush(text);
    c.legend()->setLabelColor(text);
    c.legend()->setFont(font());
    m_chartView->setBackgroundBrush(background);
    for (QAbstractAxis* axis : c.axes()) {
        axis->setLabelsColor(text);
        axis->setLabelsFont(font());
        axis->setTitleBrush(text);
        axis->setTitleFont(font());
        axis->setLinePenColor(mixed(background, text, 0.5));
        axis->setGridLineColor(mixed(background, text, 0.2));
        axis->setMinorGridLineColor(mixed(background, text, 0.1));
    }
    for (int k = 0; k < int(m_lines.size()); ++k) {
        const bool total = k == m_lines.size() - 1;
        QPen pen(total ? text : readableOn(sourceHue(k), background));
        pen.setWidthF(total ? 3 : 2);
        m_lines[k]->setPen(pen);
    }
    if (m_failed) {
        const QColor colour = readableOn(failureHue, background);
        m_failed->setColor(colour);
        m_failed->setBorderColor(colour);
        m_failed->setMarkerSize(fontMetrics().height() * 0.75);
        liftFailures();
    }
    if (m_linking) {
        // Dashed in the hue after the sources', apart from the engines' lines.
        QPen pen(readableOn(sourceHue(int(m_lines.size()) - 1), background), 2, Qt::DashLine);
        m_linking->setPen(pen);
    }
    if (m_kept) {
        // A square in the text's colour, beside the engines' hues: a count that is there, but old.
        m_kept->setColor(text);
        m_kept->setBorderColor(text);
        m_kept->setMarkerSize(fontMetrics().height() * 0.6);
    }
}
