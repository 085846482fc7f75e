#include "app/runoutcomes.h"

#include "domains/domainlist.h"
#include "engine/bytetext.h"
#include "grid/gridcolumns.h"
#include "grid/gridwidget.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QStatusBar>

#include <algorithm>

using namespace Qt::StringLiterals;

RunOutcomes::RunOutcomes(GridWidget& grid, QStatusBar& statusBar, const EngineTables& engines, const QLocale& locale)
    : m_grid(grid)
    , m_engines(engines)
    , m_locale(locale)
    , m_summary(new QLabel(&statusBar))
    , m_currentNote(new QLabel(&statusBar))
{
    // Screen readers read a label's text as its name, and hear it change; what it is goes in the description.
    m_summary->setObjectName(u"lblLastUpdate"_s);
    m_summary->setAccessibleDescription(u"Last update"_s);
    statusBar.addWidget(m_summary, 1);
    m_currentNote->setObjectName(u"lblCurrentNote"_s);
    m_currentNote->setAccessibleDescription(u"Why the current count was not updated"_s);
    statusBar.addWidget(m_currentNote, 2);
    m_grid.setCellNotes([this](int row, int col) { return cellNote(row, col); });
    QObject::connect(m_grid.selectionModel(), &QItemSelectionModel::currentChanged, m_currentNote,
                     [this] { showCurrentNote(); });
}

void RunOutcomes::showCurrentNote()
{
    m_currentNote->setText(cellNote(m_grid.Row(), m_grid.Col()));
}

void RunOutcomes::runStarted()
{
    m_summary->clear();
    m_summary->setToolTip({});
}

void RunOutcomes::fetchEnded(const FetchReport& report)
{
    if (m_staleCounts.record(report)) {
        m_grid.noteChanged(report.row, GridColumn::FirstEngine + report.engine);
        showCurrentNote();
    }
}

void RunOutcomes::restoreMarks(const QList<FetchReport>& failed)
{
    for (const FetchReport& report : failed)
        fetchEnded(report);
}

void RunOutcomes::runEnded(const RunSummary& summary)
{
    m_summary->setText(runSummaryText(summary, m_locale));
    // The failures one by one, as many as a tooltip can show.
    constexpr qsizetype listed = 10;
    QStringList lines;
    for (const FetchReport& failure : summary.failures.first(std::min(summary.failures.size(), listed)))
        lines.append(u"%1, %2: %3"_s.arg(textFromBytes(failure.domain), m_engines.engine(failure.engine).name,
                                         failureReason(failure.failure)));
    if (summary.failures.size() > listed)
        lines.append(u"and %1 more"_s.arg(m_locale.toString(summary.failures.size() - listed)));
    m_summary->setToolTip(lines.join(u'\n'));
}

void RunOutcomes::keepListed(const DomainList& domains)
{
    QSet<QByteArray> listed;
    for (int record = 1; record <= domains.count(); ++record)
        listed.insert(domains.GetDomainField(record, 0));
    m_staleCounts.keepOnly(listed);
    showCurrentNote();
}

QString RunOutcomes::cellNote(int row, int col) const
{
    const int engine = col - GridColumn::FirstEngine;
    if (engine < 0 || engine >= m_engines.EngineCatalogue().size())
        return {};
    const QByteArray domain = bytesFromText(m_grid.TextMatrix(row, GridColumn::Domain));
    return m_staleCounts.note(domain, engine, m_locale, QDate::currentDate());
}
