#include "app/historyview.h"

#include "app/messagetext.h"
#include "engine/counttext.h"
#include "engine/timetext.h"
#include "workflows/fetchreport.h"

#include <QLabel>
#include <QTableWidget>

using namespace Qt::StringLiterals;

// The history view's table: a run a row, newest first, the counts as the window shows them.

namespace {

QTableWidgetItem* cellItem(const QString& text, Qt::Alignment alignment = Qt::AlignRight | Qt::AlignVCenter)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

void HistoryView::fillTable()
{
    const QLocale& locale = m_countText.locale();
    m_table->clearContents();
    m_table->setRowCount(int(m_history.runs.size()));
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const DomainRun& run = m_history.runs.at(row);
        QTableWidgetItem* time = cellItem(historyTimeText(locale, run.started), Qt::AlignLeft | Qt::AlignVCenter);
        QString about =
            run.frontEnd == FrontEnd::CommandLine ? u"Run from the command line"_s : u"Run from the window"_s;
        if (run.ended.isValid())
            about += u"; ended %1"_s.arg(historyTimeText(locale, run.ended));
        else
            about += u"; it never ended"_s;
        if (run.cancelled)
            about += u"; cancelled"_s;
        time->setToolTip(about + u'.');
        m_table->setItem(row, 0, time);
        const int sources = int(run.engines.size());
        for (int k = 0; k < sources; ++k) {
            const HistoryFetch& fetch = run.engines[k];
            QTableWidgetItem* item;
            if (fetch.count) {
                item = cellItem(m_countText.format(*fetch.count));
            } else if (fetch.kept) {
                item = cellItem(u"%1 (kept)"_s.arg(m_countText.format(*fetch.kept)));
                item->setToolTip(sentenceOf(failureReason(fetch.failure)) +
                                 u"; the count was kept from an earlier run."_s);
            } else if (fetch.made()) {
                item = cellItem(u"failed"_s);
                item->setToolTip(sentenceOf(failureReason(fetch.failure)) + u'.');
            } else {
                item = cellItem(QString());
                item->setToolTip(u"Not asked for: the update ended first."_s);
            }
            m_table->setItem(row, 1 + k, item);
        }
        m_table->setItem(row, 1 + sources, cellItem(run.total ? m_countText.format(*run.total) : QString()));
    }
    m_table->resizeColumnsToContents();
    showCurrentNote(m_table->currentRow(), m_table->currentColumn());
}

void HistoryView::showCurrentNote(int row, int column)
{
    const QTableWidgetItem* item = m_table->item(row, column);
    m_note->setText(item ? item->toolTip() : QString());
}
