#include "app/chartcolours.h"
#include "app/domainhistory.h"
#include "app/historyview.h"
#include "engine/counttext.h"
#include "engine/enginecatalogue.h"
#include "history/historystore.h"
#include "windowfixture.h"

#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QDateTimeAxis>
#include <QHeaderView>
#include <QLineSeries>
#include <QMessageBox>
#include <QScatterSeries>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolTip>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QByteArray threeDomains = "a.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n"
                                "b.com|AllTheWeb=1|AltaVista=2|Google=3|HotBot=4|MSN=5|\r\n"
                                "c.com|\r\n";

QDateTime march(int day, int hour, int second = 0)
{
    return QDateTime(QDate(2026, 3, day), QTime(hour, 0, second), Qt::UTC);
}

class HistoryWindowTest : public WindowTest {
protected:
    // A domain's five fetches, ending one second apart from start; a missing count is a 503, and its row kept the
    // count kept.
    static DomainFetches fetches(const QByteArray& domain, const QDateTime& start,
                                 const std::array<std::optional<qint64>, 5>& counts, std::optional<qint64> kept = {})
    {
        DomainFetches fetched;
        fetched.domain = domain;
        for (std::size_t k = 0; k < counts.size(); ++k) {
            HistoryFetch& fetch = fetched.engines[k];
            fetch.at = start.addSecs(qint64(k) + 1);
            fetch.count = counts[k];
            if (!counts[k]) {
                fetch.failure.kind = FetchFailure::ErrorStatus;
                fetch.failure.status = 503;
                fetch.failure.statusText = "Service Unavailable";
                fetch.kept = kept;
            }
        }
        return fetched;
    }

    // a.com in two runs, the second with Google failed and its count of the first kept; b.com in the first only;
    // c.com never.
    void writeHistory()
    {
        HistoryStore store(listPath());
        ASSERT_TRUE(store.open(HistoryStore::Mode::Write)) << store.problemText().toStdString();
        ASSERT_TRUE(store.beginRun(march(1, 9), FrontEnd::Window));
        ASSERT_TRUE(store.recordDomain(fetches("a.com", march(1, 9), {1000, 2000, 3000, 4000, 5000})));
        ASSERT_TRUE(store.recordDomain(fetches("b.com", march(1, 9, 10), {1, 2, 3, 4, 5})));
        ASSERT_TRUE(store.endRun(march(1, 9, 20), false));
        ASSERT_TRUE(store.beginRun(march(2, 9), FrontEnd::CommandLine));
        ASSERT_TRUE(store.recordDomain(fetches("a.com", march(2, 9), {1100, 2200, std::nullopt, 4400, 5500}, 3000)));
        ASSERT_TRUE(store.endRun(march(2, 9, 10), false));
    }

    void startActive(const QByteArray& list)
    {
        start(list);
        window().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    }

    HistoryView* viewOf(const QByteArray& domain)
    {
        for (HistoryView* view : window().findChildren<HistoryView*>()) {
            if (view->domain() == domain && view->isVisible())
                return view;
        }
        return nullptr;
    }

    // German short dates and times, with the year in full and the seconds.
    static QString timeText(const QDateTime& time) { return time.toLocalTime().toString(u"dd.MM.yyyy HH:mm:ss"_s); }
};

TEST_F(HistoryWindowTest, CtrlHShowsTheCountsOfTheCurrentDomainOverTimeInTheUsersLocale)
{
    m_locale = QLocale(QLocale::German, QLocale::Germany);
    writeHistory();
    startActive(threeDomains);
    QTest::keyClick(&grid(), Qt::Key_H, Qt::ControlModifier);
    ASSERT_TRUE(eventually([&] { return viewOf("a.com"); }));
    HistoryView& view = *viewOf("a.com");
    EXPECT_EQ(view.windowTitle(), u"History of a.com"_s);
    EXPECT_FALSE(view.isModal());

    // Each engine's counts at the times its fetches ended, a count kept marked as such; the row's total after the
    // run at its start, which a failed fetch does not pull down; a failure at y = 0.
    QMap<QString, QList<QPointF>> series;
    for (QAbstractSeries* each : view.chart().series())
        series[each->name()] = static_cast<QXYSeries*>(each)->points();
    const auto at = [](const QDateTime& time) { return qreal(time.toMSecsSinceEpoch()); };
    EXPECT_EQ(series.keys(), (QStringList{u"AllTheWeb"_s, u"AltaVista"_s, u"Failed"_s, u"Google"_s, u"HotBot"_s,
                                          u"Kept"_s, u"MSN"_s, u"Total"_s}));
    EXPECT_EQ(series[u"AllTheWeb"_s], (QList<QPointF>{{at(march(1, 9, 1)), 1000}, {at(march(2, 9, 1)), 1100}}));
    EXPECT_EQ(series[u"Google"_s], (QList<QPointF>{{at(march(1, 9, 3)), 3000}, {at(march(2, 9, 3)), 3000}}));
    EXPECT_EQ(series[u"Kept"_s], (QList<QPointF>{{at(march(2, 9, 3)), 3000}}));
    EXPECT_EQ(series[u"Total"_s], (QList<QPointF>{{at(march(1, 9)), 15000}, {at(march(2, 9)), 16200}}));
    // A failure stands at its time, just above the axis; its tip is kept at the axis.
    const QPointF failed(at(march(2, 9, 3)), 0);
    ASSERT_EQ(series[u"Failed"_s].size(), 1);
    EXPECT_EQ(series[u"Failed"_s].first().x(), failed.x());
    EXPECT_GT(series[u"Failed"_s].first().y(), 0);
    const QString why = timeText(march(2, 9, 3)) + u", Google: the server answered 503 Service Unavailable"_s;
    EXPECT_EQ(view.pointTip(failed), why);
    auto* failures = static_cast<QScatterSeries*>(view.chart().series().constLast());
    Q_EMIT failures->hovered(failed, true);
    ASSERT_TRUE(eventually([&] { return QToolTip::text() == why; }));

    // The runs newest first; a failed count says why in its tooltip.
    const QTableWidget& table = view.table();
    ASSERT_EQ(table.rowCount(), 2);
    const auto row = [&](int r) {
        QStringList texts;
        for (int col = 0; col < table.columnCount(); ++col)
            texts.append(table.item(r, col)->text());
        return texts;
    };
    EXPECT_EQ(row(0), (QStringList{timeText(march(2, 9)), u"1.100"_s, u"2.200"_s, u"3.000 (kept)"_s, u"4.400"_s,
                                   u"5.500"_s, u"16.200"_s}));
    EXPECT_EQ(row(1), (QStringList{timeText(march(1, 9)), u"1.000"_s, u"2.000"_s, u"3.000"_s, u"4.000"_s, u"5.000"_s,
                                   u"15.000"_s}));
    EXPECT_EQ(table.item(0, 3)->toolTip(),
              u"The server answered 503 Service Unavailable; the count was kept from an earlier run."_s);
    EXPECT_EQ(table.horizontalHeaderItem(6)->text(), u"Total"_s);

    // Every text shown whole, the chart a good part of the window, the window on the screen.
    for (int col = 0; col < table.columnCount(); ++col) {
        EXPECT_GE(table.columnWidth(col), table.horizontalHeader()->sectionSizeHint(col)) << col;
        EXPECT_GE(table.columnWidth(col), static_cast<const QAbstractItemView&>(table).sizeHintForColumn(col)) << col;
    }
    EXPECT_GE(view.findChild<QWidget*>(u"chtHistory"_s)->height(), view.fontMetrics().height() * 12);
    const QChart& chart = view.chart();
    auto* time = static_cast<QDateTimeAxis*>(chart.axes(Qt::Horizontal).constFirst());
    auto* counts = static_cast<QCategoryAxis*>(chart.axes(Qt::Vertical).constFirst());
    EXPECT_EQ(counts->categoriesLabels().constLast(), u"20.000"_s);
    ASSERT_TRUE(eventually([&] {
        return chart.plotArea().width() / std::max(time->tickCount() - 1, 1) >=
               QFontMetrics(time->labelsFont()).horizontalAdvance(m_locale.toString(march(2, 9), time->format()));
    }));
    ASSERT_TRUE(eventually([&] {
        return chart.plotArea().height() / (counts->count() - 1) >= QFontMetrics(counts->labelsFont()).height();
    }));
    EXPECT_LE(view.width(), view.screen()->availableGeometry().width());
    EXPECT_LE(view.height(), view.screen()->availableGeometry().height());

    // Under a dark palette the chart is dark too, its labels light, every line clear of the background.
    QPalette dark;
    dark.setColor(QPalette::Base, QColor(35, 35, 35));
    dark.setColor(QPalette::Window, QColor(53, 53, 53));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::WindowText, Qt::white);
    view.setPalette(dark);
    EXPECT_EQ(view.chart().backgroundBrush().color(), QColor(35, 35, 35));
    EXPECT_EQ(view.chart().legend()->labelColor(), QColor(Qt::white));
    for (QAbstractAxis* axis : view.chart().axes())
        EXPECT_EQ(axis->labelsColor(), QColor(Qt::white));
    for (QAbstractSeries* each : view.chart().series()) {
        const QColor colour = static_cast<QXYSeries*>(each)->color();
        EXPECT_GE(contrastRatio(colour, QColor(35, 35, 35)), 3.0) << each->name().toStdString();
    }

    // Closing it leaves the main window as it was.
    view.close();
    ASSERT_TRUE(eventually([&] { return !viewOf("a.com"); }));
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(isIdle());
}

TEST_F(HistoryWindowTest, ThePopupMenuOpensTheHistoryOfTheDomainPressedAndABlankRowNone)
{
    writeHistory();
    startActive(threeDomains);
    m_choice = &action("mnuGridMenuHistory");
    grid().makeCurrent(3, 2);
    QTest::keyClick(&grid(), Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_TRUE(eventually([&] { return viewOf("c.com"); }));
    EXPECT_EQ(viewOf("c.com")->findChild<QLabel*>(u"lblNoHistory"_s)->text(), u"No counts recorded for c.com yet."_s);
    EXPECT_FALSE(viewOf("c.com")->table().isVisible());

    // A blank row has none; a domain's open view is not opened twice, and shows what a run adds.
    grid().makeCurrent(5, 0);
    QTest::keyClick(&grid(), Qt::Key_H, Qt::ControlModifier);
    grid().makeCurrent(3, 0);
    QTest::keyClick(&grid(), Qt::Key_H, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(window().findChildren<HistoryView*>().size(), 1);
    EXPECT_TRUE(m_dialogs.shown.isEmpty());
    m_server.serveDomain("c.com", {1, 2, 3, 4, 5});
    button("cmdUpdate1").click();
    ASSERT_EQ(viewOf("c.com")->table().rowCount(), 1);
    EXPECT_EQ(viewOf("c.com")->table().item(0, 6)->text(), u"15"_s);
    EXPECT_TRUE(viewOf("c.com")->table().isVisible());
}

TEST_F(HistoryWindowTest, ExportHistoryWritesTheWholeHistoryAsTheFileNameAsks)
{
    writeHistory();
    start(threeDomains);
    const QString csv = m_dir.filePath(u"runs"_s);
    const QString json = m_dir.filePath(u"runs.JSON"_s);
    m_dialogs.files = {csv, json, m_dir.filePath(u"missing/runs.csv"_s)};
    for (int k = 0; k < 3; ++k)
        action("mnuFileExportHistory").trigger();

    EXPECT_EQ(m_dialogs.shown.first(), u"save|Export History|%1|CSV files (*.csv);;JSON files (*.json)"_s.arg(
                                           m_dir.filePath(u"brenlow-history.csv"_s)));
    QFile written(csv + u".csv"_s);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readLine(),
              "run,run_started,run_ended,front_end,cancelled,domain,engine,at,count,failure,detail,kept\r\n");
    QFile writtenJson(json);
    ASSERT_TRUE(writtenJson.open(QIODevice::ReadOnly));
    EXPECT_TRUE(writtenJson.readAll().startsWith("{\"brenlowHistory\":4")) << json.toStdString();

    // A file that cannot be written is told of, and the line says what was written last.
    ASSERT_EQ(m_dialogs.shown.size(), 4);
    EXPECT_TRUE(m_dialogs.shown.last().startsWith(u"warning||The history was not exported: "_s))
        << m_dialogs.shown.last().toStdString();
    EXPECT_FALSE(QFile::exists(m_dir.filePath(u"missing/runs.csv"_s)));
    EXPECT_EQ(window().statusBar()->currentMessage(), u"Exported the history to %1."_s.arg(json));
}

TEST_F(HistoryWindowTest, AHistoryThatCannotBeKeptIsToldOfOnceInTheStatusBarAndNoRunWaits)
{
    const QString historyPath = HistoryStore::pathFor(listPath());
    QFile garbage(historyPath);
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, 'x'));
    garbage.close();
    m_server.serveDomain("a.com", {10, 20, 30, 40, 50});
    m_server.serveDomain("b.com", {1, 2, 3, 4, 5});
    startActive(threeDomains);
    // Any modal box open while a run is under way would hold the run up.
    bool modalDuringRun = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        modalDuringRun = modalDuringRun || (window().isUpdating() && QApplication::activeModalWidget());
    });
    watch.start(1);
    button("cmdUpdate0").click();
    button("cmdUpdate0").click();
    watch.stop();

    EXPECT_FALSE(modalDuringRun);
    EXPECT_EQ(m_dialogs.shown, QStringList());
    EXPECT_EQ(label("lblHistoryNotice").text(), u"History is not being kept."_s);
    EXPECT_TRUE(label("lblHistoryNotice").isVisible());
    EXPECT_EQ(cell(1, 1), u"150"_s);
    EXPECT_EQ(QFileInfo(historyPath).size(), 4096);

    // Its details open beside the window, which goes on working.
    button("cmdHistoryDetails").click();
    auto* details = window().findChild<QMessageBox*>(u"cmdHistoryDetailsBox"_s);
    ASSERT_NE(details, nullptr);
    EXPECT_TRUE(details->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    const QString problem = details->text();
    EXPECT_TRUE(problem.startsWith(u"History is not being kept: the history file %1 is not"_s.arg(historyPath)))
        << problem.toStdString();
    EXPECT_TRUE(problem.endsWith(u".\n\nThe counts are still updated and saved in the list."_s));
    details->close();

    // Its history cannot be shown either: a message says why instead.
    QTest::keyClick(&grid(), Qt::Key_H, Qt::ControlModifier);
    ASSERT_EQ(m_dialogs.shown.size(), 1);
    EXPECT_TRUE(m_dialogs.shown.last().startsWith(u"warning||The history file %1 is not"_s.arg(historyPath)));
    EXPECT_EQ(window().findChildren<HistoryView*>().size(), 0);
}

} // namespace

namespace {

TEST(HistoryViewAxis, RunsAMinuteApartStandApartWithSecondsOnTheAxis)
{
    const EngineTables engines = EngineTables::initialised();
    const CountText counts(QLocale(QLocale::German, QLocale::Germany));
    const QDateTime first(QDate(2026, 3, 1), QTime(9, 0), Qt::UTC);
    DomainHistory history;
    history.domain = "a.com";
    for (const QDateTime& started : {first.addSecs(60), first}) // newest first
        history.runs.append({started, started.addSecs(5), FrontEnd::Window, false, QList<HistoryFetch>(5), 100});
    HistoryView view(history, engines, counts);
    auto* time = static_cast<QDateTimeAxis*>(view.chart().axes(Qt::Horizontal).constFirst());
    // A twentieth of the minute, 3 s, either side.
    EXPECT_EQ(time->min().toMSecsSinceEpoch(),
              QDateTime(QDate(2026, 3, 1), QTime(8, 59, 57), Qt::UTC).toMSecsSinceEpoch());
    EXPECT_EQ(time->max().toMSecsSinceEpoch(),
              QDateTime(QDate(2026, 3, 1), QTime(9, 1, 3), Qt::UTC).toMSecsSinceEpoch());
    // Shown, the axis labels its times to the second.
    view.resize(900, 600);
    view.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return time->format().contains(u"ss"_s); }, 20000))
        << time->format().toStdString();
}

} // namespace

namespace {

TEST(HistoryViewTable, ColumnsStayWholeAndFailuresShowAboveTheAxisAndBelowTheTable)
{
    const EngineTables engines = EngineTables::initialised();
    const CountText counts(QLocale(QLocale::English, QLocale::UnitedStates));
    const QDateTime first(QDate(2026, 3, 1), QTime(9, 0), Qt::UTC);
    // Runs with totals of ten digits; the first engine's fetch of the newest run timed out.
    for (const int runs : {2, 60}) {
        SCOPED_TRACE(runs);
        DomainHistory history;
        history.domain = "a.com";
        for (int k = runs - 1; k >= 0; --k) {
            QList<HistoryFetch> fetches(5);
            for (HistoryFetch& fetch : fetches)
                fetch = {first.addSecs(k * 60), 590520527, {}, {}};
            if (k == runs - 1) {
                fetches[0].count.reset();
                fetches[0].failure.kind = FetchFailure::TimedOut;
            }
            history.runs.append({first.addSecs(k * 60), first.addSecs(k * 60 + 5), FrontEnd::Window, false, fetches,
                                 k == runs - 1 ? 2362082108 : 2952602635});
        }
        HistoryView view(history, engines, counts);
        view.show();
        QTableWidget& table = view.table();
        ASSERT_TRUE(QTest::qWaitFor([&] { return table.isVisible(); }, 5000));
        QCoreApplication::processEvents();
        if (runs == 60) {
            EXPECT_TRUE(table.verticalScrollBar()->isVisible());
        }
        // Every column, the Total last, is as wide as its widest text, and the view opens wide enough for all
        // unless the screen is narrower; then the table scrolls sideways.
        int used = 0;
        for (int col = 0; col < table.columnCount(); ++col) {
            const QAbstractItemView& asView = table;
            EXPECT_GE(table.columnWidth(col), asView.sizeHintForColumn(col)) << col;
            used += table.columnWidth(col);
        }
        EXPECT_TRUE(used <= table.viewport()->width() || table.horizontalScrollBar()->maximum() > 0);
        EXPECT_EQ(table.item(0, 6)->text(), u"2,362,082,108"_s);

        // The failure's mark stands whole above the time axis, and tells its time, engine and reason.
        QScatterSeries* marks = nullptr;
        for (QAbstractSeries* series : view.chart().series()) {
            if (series->name() == u"Failed"_s)
                marks = static_cast<QScatterSeries*>(series);
        }
        ASSERT_NE(marks, nullptr);
        ASSERT_EQ(marks->count(), 1);
        const QPointF at = view.chart().mapToPosition(marks->at(0), marks);
        EXPECT_LE(at.y() + marks->markerSize() / 2, view.chart().plotArea().bottom()) << at.y();
        const QString tip = view.pointTip(QPointF(marks->at(0).x(), 0));
        EXPECT_TRUE(tip.contains(u"AllTheWeb"_s)) << tip.toStdString();

        // The keyboard reaches the same reason: the current cell's note shows below the table.
        table.setCurrentCell(0, 1);
        const auto& note = *view.findChild<QLabel*>(u"lblHistoryNote"_s);
        EXPECT_EQ(note.text(), table.item(0, 1)->toolTip());
        EXPECT_FALSE(note.text().isEmpty());
        table.setCurrentCell(0, 2);
        EXPECT_EQ(note.text(), QString());
    }
}

} // namespace
