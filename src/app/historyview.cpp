#include "app/historyview.h"

#include "app/chartcolours.h"
#include "app/countaxis.h"
#include "engine/bytetext.h"
#include "engine/counttext.h"
#include "engine/enginecatalogue.h"
#include "engine/timetext.h"
#include "history/latestgraphfigures.h"
#include "workflows/fetchreport.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCursor>
#include <QDateTimeAxis>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGraphicsLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QScatterSeries>
#include <QScreen>
#include <QStyle>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QColor failureHue(220, 0, 0);

qreal msOf(const QDateTime& time)
{
    return qreal(time.toMSecsSinceEpoch());
}

} // namespace

HistoryView::HistoryView(DomainHistory history, const EngineTables& engines, const CountText& countText,
                         QWidget* parent)
    : QDialog(parent)
    , m_engines(engines)
    , m_countText(countText)
    , m_empty(new QLabel(this))
    , m_chartView(new QChartView(new QChart, this))
    , m_table(new QTableWidget(this))
    , m_note(new QLabel(this))
{
    setObjectName(u"historyView"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);

    m_empty->setObjectName(u"lblNoHistory"_s);
    m_empty->setWordWrap(true);
    m_chartView->setObjectName(u"chtHistory"_s);
    m_chartView->setAccessibleName(u"Counts over time"_s);
    m_chartView->setRenderHint(QPainter::Antialiasing);
    m_chartView->setMinimumHeight(fontMetrics().height() * 14);
    m_table->setObjectName(u"tblHistory"_s);
    m_table->setAccessibleName(u"Runs, newest first"_s);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    // Every column as wide as its widest text, the Total too: a narrow view scrolls sideways rather than cutting one.
    m_table->horizontalHeader()->setStretchLastSection(false);
    m_note->setObjectName(u"lblHistoryNote"_s);
    m_note->setWordWrap(true);
    connect(m_table, &QTableWidget::currentCellChanged, this, &HistoryView::showCurrentNote);
    QStringList headers{u"Time"_s};
    for (const EngineEntry& engine : engines.EngineCatalogue())
        headers.append(engine.name);
    headers.append(u"Total"_s);
    m_table->setColumnCount(int(headers.size()));
    m_table->setHorizontalHeaderLabels(headers);

    QChart& c = chart();
    c.setLocale(countText.locale());
    c.legend()->setAlignment(Qt::AlignBottom);
    // Room for the plot rather than for the frame around it.
    c.layout()->setContentsMargins(0, 0, 0, 0);
    c.setBackgroundRoundness(0);
    auto* time = new QDateTimeAxis;
    time->setObjectName(u"timeAxis"_s);
    c.addAxis(time, Qt::AlignBottom);
    // The counts' labels are the grid's texts of the counts; the chart's own numbers would not be.
    auto* counts = new QCategoryAxis;
    counts->setObjectName(u"countAxis"_s);
    counts->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    c.addAxis(counts, Qt::AlignLeft);
    connect(&c, &QChart::plotAreaChanged, this, &HistoryView::fitToSize);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_empty);
    layout->addWidget(m_chartView, 3);
    layout->addWidget(m_table, 2);
    layout->addWidget(m_note);
    layout->addWidget(buttons);

    setHistory(std::move(history));
    fitWindow();
}

void HistoryView::fitWindow()
{
    if (m_history.runs.isEmpty()) {
        adjustSize();
        return;
    }
    // Wide enough for the table's columns, high enough for the chart and a dozen runs; never beyond the screen.
    const QMargins margins = layout()->contentsMargins();
    int width = m_table->frameWidth() * 2 + margins.left() + margins.right() +
                m_table->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_table);
    for (int col = 0; col < m_table->columnCount(); ++col)
        width += m_table->columnWidth(col);
    QSize size(std::max(width, fontMetrics().averageCharWidth() * 110), fontMetrics().height() * 40);
    if (const QScreen* shown = parentWidget() ? parentWidget()->screen() : screen())
        size = size.boundedTo(shown->availableGeometry().size() * 9 / 10);
    resize(size);
}

QChart& HistoryView::chart() const
{
    return *m_chartView->chart();
}

void HistoryView::setHistory(DomainHistory history)
{
    const bool wasEmpty = m_history.runs.isEmpty();
    m_history = std::move(history);
    const QString domain = textFromBytes(m_history.domain);
    setWindowTitle(u"History of "_s + domain);
    const bool empty = m_history.runs.isEmpty();
    m_empty->setText(empty ? u"No counts recorded for %1 yet."_s.arg(domain) : QString());
    m_empty->setVisible(empty);
    m_chartView->setVisible(!empty);
    m_table->setVisible(!empty);
    fillChart();
    fillTable();
    // The first counts of a domain open out the window that said there were none.
    if (wasEmpty && !empty && isVisible())
        fitWindow();
}

void HistoryView::fillChart()
{
    QChart& c = chart();
    c.removeAllSeries();
    m_lines.clear();
    m_failed = nullptr;
    m_kept = nullptr;
    m_linking = nullptr;
    m_tips.clear();

    const QLocale& locale = m_countText.locale();
    const int sources = int(m_engines.EngineCatalogue().size());
    QList<QList<QPointF>> counts(sources);
    QList<QPointF> totals;
    QList<QPointF> failed;
    QList<QPointF> kept;
    qint64 highest = 0;
    qreal first = std::numeric_limits<qreal>::max();
    qreal last = std::numeric_limits<qreal>::lowest();
    const auto extend = [&](qreal x) {
        first = std::min(first, x);
        last = std::max(last, x);
    };
    // Oldest first, as a line goes.
    for (auto run = m_history.runs.crbegin(); run != m_history.runs.crend(); ++run) {
        for (int k = 0; k < sources; ++k) {
            const HistoryFetch& fetch = run->engines[k];
            if (!fetch.made())
                continue;
            const qreal x = msOf(fetch.at);
            extend(x);
            if (fetch.count) {
                counts[k].append({x, qreal(*fetch.count)});
                highest = std::max(highest, *fetch.count);
            } else {
                failed.append({x, 0});
                const QString why = u"%1, %2: %3"_s.arg(historyTimeText(locale, fetch.at), m_engines.engine(k).name,
                                                        failureReason(fetch.failure));
                m_tips.append({failed.last(), why});
                // The count the row kept goes on the engine's line, marked as kept, so that the line shows what
                // the grid showed and does not drop to the failure.
                if (fetch.kept) {
                    counts[k].append({x, qreal(*fetch.kept)});
                    kept.append({x, qreal(*fetch.kept)});
                    highest = std::max(highest, *fetch.kept);
                    m_tips.append({kept.last(), why + u"; the count was kept from an earlier run"_s});
                }
            }
        }
        if (run->total) {
            totals.append({msOf(run->started), qreal(*run->total)});
            extend(totals.last().x());
            highest = std::max(highest, *run->total);
        }
    }
    // The linking domains of each release that counted them, at the time of its crawls.
    QList<QPointF> linking;
    for (const auto& [release, figures] : std::as_const(m_history.graph)) {
        if (!figures.found || !figures.linkingDomains)
            continue;
        linking.append({msOf(graphReleaseTime(release, figures.readAt)), qreal(*figures.linkingDomains)});
        extend(linking.last().x());
        highest = std::max(highest, *figures.linkingDomains);
        m_tips.append({linking.last(), u"%1: %2 linking domains, web rank %3 (%4)"_s.arg(
                                           release.id, locale.toString(*figures.linkingDomains),
                                           locale.toString(figures.harmonicRank), QString::fromLatin1(figures.name))});
    }
    std::sort(linking.begin(), linking.end(), [](QPointF a, QPointF b) { return a.x() < b.x(); });

    QAbstractAxis* time = c.axes(Qt::Horizontal).constFirst();
    QAbstractAxis* values = c.axes(Qt::Vertical).constFirst();
    const auto add = [&](QXYSeries* series, const QString& name, const QList<QPointF>& points) {
        series->setName(name);
        series->replace(points);
        c.addSeries(series);
        series->attachAxis(time);
        series->attachAxis(values);
    };
    // Points are drawn while there are few, so that a single run shows; many would hide the lines.
    const bool few = m_history.runs.size() <= 40;
    for (int k = 0; k < sources; ++k) {
        auto* line = new QLineSeries;
        line->setPointsVisible(few);
        add(line, m_engines.engine(k).name, counts[k]);
        m_lines.append(line);
    }
    auto* total = new QLineSeries;
    total->setPointsVisible(few);
    add(total, u"Total"_s, totals);
    m_lines.append(total);
    const auto showTip = [this](const QPointF& point, bool entered) {
        if (entered)
            QToolTip::showText(QCursor::pos(), pointTip(point), m_chartView);
        else
            QToolTip::hideText();
    };
    if (!kept.isEmpty()) {
        m_kept = new QScatterSeries;
        m_kept->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
        add(m_kept, u"Kept"_s, kept);
        connect(m_kept, &QScatterSeries::hovered, this, showTip);
    }
    if (!linking.isEmpty()) {
        m_linking = new QLineSeries;
        m_linking->setPointsVisible(true);
        add(m_linking, u"Linking Domains"_s, linking);
        connect(m_linking, &QLineSeries::hovered, this, showTip);
    }
    if (!failed.isEmpty()) {
        m_failed = new QScatterSeries;
        m_failed->setMarkerShape(QScatterSeries::MarkerShapeTriangle);
        add(m_failed, u"Failed"_s, failed);
        // Its marks stand above the axis (liftFailures); their tips are kept at the axis.
        connect(m_failed, &QScatterSeries::hovered, this,
                [showTip](const QPointF& point, bool entered) { showTip(QPointF(point.x(), 0), entered); });
    }

    // A margin either side, a twentieth of the span, so that the first and last points stand clear of the axes and
    // runs minutes apart stay apart; an hour for a single time.
    if (first > last)
        first = last = msOf(QDateTime::currentDateTimeUtc());
    constexpr qreal hour = 3600.0 * 1000;
    const qreal margin = last > first ? (last - first) / 20 : hour;
    auto* timeAxis = static_cast<QDateTimeAxis*>(time);
    timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(qint64(first - margin)),
                       QDateTime::fromMSecsSinceEpoch(qint64(last + margin)));
    // Times of day only where the days alone would not tell the runs apart, and seconds where minutes would not.
    m_withTimes = last - first < 3 * 24 * hour;
    m_withSeconds = last - first < hour;
    m_highest = std::max<qint64>(highest, 4);
    labelCounts();
    fitToSize();
    decorate();
}

void HistoryView::labelCounts()
{
    labelCountAxis(*static_cast<QCategoryAxis*>(chart().axes(Qt::Vertical).constFirst()), m_highest, m_countSteps,
                   m_countText);
}

void HistoryView::fitToSize()
{
    // Only as many labels on each axis as there is room for, so that none is cut short; the legend in a row
    // below the chart while its names fit there, and in a column beside it when they do not.
    QChart& c = chart();
    const QFontMetrics metrics(font());
    int legendRow = 0;
    for (const QAbstractSeries* series : c.series())
        legendRow += metrics.horizontalAdvance(series->name()) + metrics.height() * 2;
    const Qt::Alignment legendAt = legendRow <= c.size().width() ? Qt::AlignBottom : Qt::AlignRight;
    if (c.legend()->alignment() != legendAt)
        c.legend()->setAlignment(legendAt);

    auto* time = static_cast<QDateTimeAxis*>(c.axes(Qt::Horizontal).constFirst());
    const QLocale& locale = m_countText.locale();
    const QFontMetrics labels(time->labelsFont());
    const auto roomFor = [&](const QString& format) {
        return labels.horizontalAdvance(locale.toString(QDateTime(QDate(2026, 12, 28), QTime(22, 58)), format) +
                                        u"MMM"_s);
    };
    QString format = m_withSeconds ? historyTimeFormat(locale) : locale.dateTimeFormat(QLocale::ShortFormat);
    if (!m_withTimes || roomFor(format) > c.plotArea().width())
        format = locale.dateFormat(QLocale::ShortFormat);
    if (time->format() != format)
        time->setFormat(format);
    const int room = roomFor(format);
    const int ticks = std::clamp(int(c.plotArea().width()) / std::max(room, 1) + 1, 2, 8);
    if (time->tickCount() != ticks)
        time->setTickCount(ticks);

    const int steps = std::clamp(int(c.plotArea().height()) / (metrics.height() * 2), 1, 4);
    if (steps != m_countSteps) {
        m_countSteps = steps;
        labelCounts();
    }
    liftFailures();
}

void HistoryView::liftFailures()
{
    // A failure's mark stands whole just above the time axis, which would otherwise cut it in half.
    if (!m_failed || m_failed->count() == 0)
        return;
    QChart& c = chart();
    const QRectF area = c.plotArea();
    const qreal lifted =
        c.mapToValue(QPointF(area.left(), area.bottom() - m_failed->markerSize() / 2 - 1), m_failed).y();
    if (qFuzzyCompare(m_failed->at(0).y() + 1, lifted + 1))
        return;
    QList<QPointF> points = m_failed->points();
    for (QPointF& point : points)
        point.setY(lifted);
    m_failed->replace(points);
}

QString HistoryView::pointTip(QPointF point) const
{
    QStringList lines;
    for (const PointTip& tip : m_tips) {
        if (tip.point == point)
            lines.append(tip.text);
    }
    return lines.join(u'\n');
}

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
