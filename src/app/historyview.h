#pragma once

#include "app/domainhistory.h"

#include <QDialog>
#include <QList>
#include <QPointF>

class CountText;
class EngineTables;
class QChart;
class QChartView;
class QLabel;
class QLineSeries;
class QScatterSeries;
class QTableWidget;

// The counts of one domain over time, in a window of its own beside the main window: a chart of the total and
// of each engine's count, with the failed fetches marked on the time axis, above a table of the runs, newest
// first. Dates and counts are in the session's locale; the chart takes its colours from the palette.
class HistoryView : public QDialog {
    Q_OBJECT

public:
    HistoryView(DomainHistory history, const EngineTables& engines, const CountText& countText,
                QWidget* parent = nullptr);

    const QByteArray& domain() const { return m_history.domain; }
    // Shows the history anew (after a run has added to it).
    void setHistory(DomainHistory history);

    QChart& chart() const;
    QTableWidget& table() const { return *m_table; }
    // What hovering over the mark at point tells: when, which engine and why for a failure; the release and its
    // figures for the linking domains of a web graph release.
    QString pointTip(QPointF point) const;

protected:
    void changeEvent(QEvent* event) override;

private:
    struct PointTip {
        QPointF point;
        QString text;
    };

    void fillChart();
    void fillTable();
    // The size for what it shows: all of the chart and the table's columns, or just the line that says there is
    // nothing to show.
    void fitWindow();
    // The counts' labels, m_countSteps steps up to past the highest count.
    void labelCounts();
    void fitToSize();
    void liftFailures();
    // Shows below the table what the current cell's tooltip says, so that the keyboard reaches it.
    void showCurrentNote(int row, int column);
    // Colours and fonts from the palette and the widget's font, after every change of either.
    void decorate();

    DomainHistory m_history;
    const EngineTables& m_engines;
    const CountText& m_countText;
    QLabel* m_empty;
    QChartView* m_chartView;
    QTableWidget* m_table;
    QLabel* m_note;              // why the current run's count failed or is missing
    QList<QLineSeries*> m_lines; // one per engine, then the total
    QScatterSeries* m_failed = nullptr;
    QScatterSeries* m_kept = nullptr; // counts that rows kept when their fetch failed
    QLineSeries* m_linking = nullptr; // the domains linking to the domain, by the web graph's releases
    QList<PointTip> m_tips;
    qint64 m_highest = 0;
    int m_countSteps = 4;
    bool m_withTimes = false;
    bool m_withSeconds = false;
};
