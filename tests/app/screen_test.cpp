#include "app/aboutbox.h"
#include "support/lists.h"
#include "support/modaldialog.h"
#include "windowfixture.h"

#include <QApplication>
#include <QFontInfo>
#include <QHeaderView>
#include <QHelpEvent>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyleOptionButton>
#include <QTest>
#include <QToolTip>

#include <algorithm>
#include <tuple>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// How far text leaves ink when drawn as on widget (in its font, at its device pixel ratio), in the widget's
// pixels: what the user sees of it, measured on the drawing itself.
qreal drawnWidth(const QWidget& widget, const QFont& font, const QString& text)
{
    const qreal ratio = widget.devicePixelRatioF();
    QImage image(QSize(1600, 120) * ratio, QImage::Format_Grayscale8);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(0, 80), text);
    painter.end();
    int right = -1;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* line = image.constScanLine(y);
        for (int x = image.width() - 1; x > right; --x) {
            if (line[x] < 128)
                right = x;
        }
    }
    return (right + 1) / ratio;
}

class ScreenTest : public WindowTest {
protected:
    // Every button in the desktop's font, every caption inside its button's frame, no button over another (but
    // Cancel, which stands in place of the update buttons) or outside the client area.
    void expectButtonsWhole()
    {
        const QWidget& client = *window().findChild<QWidget*>(u"client"_s);
        const QList<QPushButton*> buttons = client.findChildren<QPushButton*>();
        const QPushButton* cancel = &button("cmdCancelUpdate");
        for (const QPushButton* button : buttons) {
            SCOPED_TRACE(button->text().toStdString());
            EXPECT_EQ(QFontInfo(button->font()).pixelSize(), QFontInfo(QApplication::font()).pixelSize());
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            const QRect inside = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
            const QString drawn = QString(button->text()).remove(button->text().indexOf(u'&'), 1); // the mnemonic
            EXPECT_GE(inside.width(), drawnWidth(*button, button->font(), drawn));
            EXPECT_GE(inside.height(), QFontMetricsF(button->font()).height());
            EXPECT_TRUE(client.rect().contains(button->geometry()));
            for (const QPushButton* other : buttons) {
                if (other != button && button != cancel && other != cancel) {
                    EXPECT_FALSE(button->geometry().intersects(other->geometry())) << other->text().toStdString();
                }
            }
        }
    }

    // Each total and count column is as wide as the view's own measure of its cells and of its header, taken
    // in the desktop's font; the twips operations report the widths drawn, and the filler gives way.
    void expectCountsShownWhole()
    {
        int used = 0;
        for (int col = 0; col < 7; ++col) {
            if (col > 0) {
                const QAbstractItemView& view = grid(); // the table view's own measure, reached through its base
                EXPECT_GE(grid().columnWidth(col), view.sizeHintForColumn(col)) << col;
                EXPECT_GE(grid().columnWidth(col), grid().horizontalHeader()->sectionSizeHint(col)) << col;
            }
            EXPECT_EQ(grid().ColWidth(col), qRound(grid().columnWidth(col) * grid().twipsPerPixelX())) << col;
            used += grid().ColWidth(col);
        }
        EXPECT_EQ(grid().ColWidth(7), std::max(grid().Width() - used, 0));
    }
};

TEST_F(ScreenTest, CountColumnsWidenToTheirWidestTextAfterDisplayRunsAndEdits)
{
    start("a.com|AllTheWeb=1,500,000|AltaVista=0|Google=0|HotBot=0|MSN=0|\r\n");
    expectCountsShownWhole();
    for (int col = 1; col < 7; ++col)
        EXPECT_EQ(grid().cellData(1, col, Qt::TextAlignmentRole).toInt(), Qt::AlignRight | Qt::AlignVCenter) << col;

    // Each count a run writes; the largest count and the largest total.
    constexpr qint64 largest = 999999999999999;
    m_server.serveDomain("a.com", {largest, largest, largest, largest, largest});
    QObject::connect(&window(), &MainWindow::progressChanged, [this] { expectCountsShownWhole(); });
    button("cmdUpdate0").click();
    EXPECT_EQ(cell(1, 2), u"999,999,999,999,999"_s);
    EXPECT_EQ(cell(1, 1), u"4,999,999,999,999,995"_s);
    expectCountsShownWhole();

    // Adding a domain; removing one lays the grid out again from the design's widths.
    m_dialogs.prompts = {u"b.com"_s};
    button("cmdAddDomain").click();
    expectCountsShownWhole();
    m_dialogs.answers = {UserDialogs::Answer::Yes};
    grid().makeCurrent(2, 0);
    button("cmdRemoveDomain").click();
    ASSERT_EQ(m_program->session().domains().count(), 1);
    expectCountsShownWhole();
}

TEST_F(ScreenTest, TheWindowKeepsItsDesignAndTheGridFollowsIt)
{
    // The design at 96 dpi (twips / 15), 34 pixels wider than designed so that the bottom row's captions fit in
    // the desktop's font; the domain column has two ninths of the grid's width.
    start("a.com|\r\n");
    ASSERT_EQ(window().logicalDpiX(), 96);
    EXPECT_EQ(window().centralWidget()->size(), QSize(650, 457));
    EXPECT_EQ(button("cmdUpdate0").geometry(), QRect(16, 8, 113, 25));
    EXPECT_EQ(button("cmdCancelUpdate").geometry(), QRect(80, 8, 113, 25));
    EXPECT_EQ(button("cmdExit").geometry(), QRect(576, 8, 33, 25));
    EXPECT_EQ(grid().geometry(), QRect(8, 56, 634, 358));
    EXPECT_EQ(grid().columnWidth(0), 141);
    EXPECT_EQ(grid().ColWidth(7), 960);

    // The grid follows the window, the filler column follows the grid, the buttons keep their places.
    window().resize(window().size() + QSize(150, 90));
    QCoreApplication::processEvents();
    EXPECT_EQ(grid().geometry(), QRect(8, 56, 784, 448));
    EXPECT_EQ(grid().ColWidth(7), 960 + 2250);
    EXPECT_EQ(button("cmdExit").geometry().topLeft(), QPoint(576, 8));
    EXPECT_EQ(button("cmdPopularityMean").geometry().top(), 424 + 90);
}

// The desktop font at a size in points, for the life of a test.
class DesktopFont {
public:
    explicit DesktopFont(int points)
    {
        QFont font = m_desktopFont;
        font.setPointSize(points);
        QApplication::setFont(font);
    }
    ~DesktopFont() { QApplication::setFont(m_desktopFont); }
    DesktopFont(const DesktopFont&) = delete;
    DesktopFont& operator=(const DesktopFont&) = delete;

private:
    const QFont m_desktopFont = QApplication::font();
};

class FontSizeTest : public ScreenTest, public ::testing::WithParamInterface<int> {
    DesktopFont m_font{GetParam()};
};

TEST_P(FontSizeTest, CaptionsKeepTheDesktopFontAndTheDesignScalesWithIt)
{
    // The design suits 9 points; a larger font scales it as a higher DPI would, on a screen with room for it.
    const QRect area(0, 0, 1920, 1080);
    m_availableArea = [&](const QWidget&) { return area; };
    start("a.com|AllTheWeb=2,147,483,647|AltaVista=0|Google=56|HotBot=0|MSN=7|\r\n");
    const double scale = GetParam() / 9.0;
    const double pixelsPerTwip = window().logicalDpiX() / 1440.0 * scale;
    EXPECT_GE(window().centralWidget()->height(), qRound(6855 * window().logicalDpiY() / 1440.0 * scale));
    EXPECT_GE(window().centralWidget()->width(), qRound(9240 * pixelsPerTwip));
    const QLabel& progress = label("sklCompleted");
    EXPECT_GE(progress.contentsRect().width(), drawnWidth(progress, progress.font(), u"99999 of 100000  : 100%"_s));
    EXPECT_GE(progress.contentsRect().height(), QFontMetricsF(progress.font()).height());
    expectButtonsWhole();

    // The grid's rows and columns show their text whole.
    EXPECT_GE(grid().rowHeight(0), QFontMetricsF(grid().font()).height());
    expectCountsShownWhole();
}

INSTANTIATE_TEST_SUITE_P(DesktopFont, FontSizeTest, ::testing::Values(9, 14, 18),
                         [](const ::testing::TestParamInfo<int>& info) { return std::to_string(info.param) + "pt"; });

// A desktop font in points on a screen of a width and height in pixels.
using ScreenCase = std::tuple<int, std::pair<int, int>>;

class ScreenFitTest : public ScreenTest, public ::testing::WithParamInterface<ScreenCase> {
    DesktopFont m_font{std::get<0>(GetParam())};
};

TEST_P(ScreenFitTest, TheWindowStaysOnTheScreenWithItsMenusButtonsAndStatusBar)
{
    // The screen's pixels in the window's own, half as many at twice the density, less a panel of 32 at the top.
    const auto [points, screen] = GetParam();
    const auto [width, height] = screen;
    const qreal ratio = QGuiApplication::primaryScreen()->devicePixelRatio();
    const QRect area(0, qRound(32 / ratio), qRound(width / ratio), qRound((height - 32) / ratio));
    m_availableArea = [&](const QWidget&) { return area; };
    start(domainsList(60));

    const QRect frame = window().frameGeometry();
    EXPECT_TRUE(area.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    EXPECT_TRUE(window().rect().contains(window().menuBar()->geometry()));
    EXPECT_TRUE(window().rect().contains(window().statusBar()->geometry()));
    expectButtonsWhole();
    // The grid gives way first, then the rows of buttons wrap; only where even those do not fit (14 and 18 points
    // at twice the density on the smaller screens) does the client area scroll to them. The design itself opens
    // whole at the default font.
    const QScrollArea& scroller = *window().findChild<QScrollArea*>(u"clientScroller"_s);
    const bool scrolls = scroller.verticalScrollBar()->maximum() > 0 || scroller.horizontalScrollBar()->maximum() > 0;
    EXPECT_EQ(scrolls, ratio > 1 && points > 9 && width < 1920);
    if (points == 9 && ratio == 1) {
        EXPECT_EQ(window().findChild<QWidget*>(u"client"_s)->size(), QSize(650, 457));
    }
    // The grid gives up rows first: it scrolls, and shows at least two of them.
    EXPECT_GT(grid().verticalScrollBar()->maximum(), 0);
}

INSTANTIATE_TEST_SUITE_P(Screens, ScreenFitTest,
                         ::testing::Combine(::testing::Values(9, 14, 18),
                                            ::testing::Values(std::pair(1024, 768), std::pair(1366, 768),
                                                              std::pair(1920, 1080))),
                         [](const ::testing::TestParamInfo<ScreenCase>& info) {
                             const auto screen = std::get<1>(info.param);
                             return std::to_string(std::get<0>(info.param)) + "pt_" + std::to_string(screen.first) +
                                    "x" + std::to_string(screen.second);
                         });

TEST_F(ScreenTest, WindowsAreCentredByTheirOuterFrame)
{
    m_availableArea = screenAvailableArea;
    start("");
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const auto centred = [&](const QWidget& window) {
        const QRect frame = window.frameGeometry();
        const QPoint centre((screen.width() - frame.width()) / 2, (screen.height() - frame.height()) / 2);
        return frame.size() != window.size() && frame.topLeft() == centre;
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return centred(window()); }, 5000));

    bool aboutCentred = false;
    bool seen = false;
    onModalDialog<AboutBox>(
        [&](AboutBox& about) { aboutCentred = QTest::qWaitFor([&] { return centred(about); }, 5000); }, seen);
    action("mnuHelpAbout").trigger();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(aboutCentred);
}

} // namespace

namespace {

// Whether every column but the filler is in the grid's view from its first pixel to its last.
bool everyColumnInViewWhole(const GridWidget& grid)
{
    for (int col = 0; col < 7; ++col) {
        const int left = grid.columnViewportPosition(col);
        if (left < 0 || left + grid.columnWidth(col) > grid.viewport()->width())
            return false;
    }
    return true;
}

} // namespace

TEST_F(ScreenTest, TheWindowWidensUpToTheScreenSoThatNoCountIsShownInPart)
{
    m_availableArea = screenAvailableArea;
    const QByteArray counts = "|AllTheWeb=48,719,213|AltaVista=48,719,213|Google=48,719,213|"
                              "HotBot=48,719,213|MSN=48,719,213|\r\n";
    start("a.com" + counts + "b.com" + counts);
    const QRect available = window().screen()->availableGeometry();
    if (available.width() <= 650)
        GTEST_SKIP() << "the screen is narrower than the window's design";
    EXPECT_GT(window().width(), 632);
    EXPECT_TRUE(everyColumnInViewWhole(grid()));
    EXPECT_TRUE(available.contains(window().frameGeometry()));

    // Counts too long for the screen: the window takes its width, and a count column that the view's edge
    // cuts ends in an ellipsis, which has no ink in the upper half of the line, where every digit has some.
    constexpr qint64 largest = 999999999999999;
    m_server.serveDomain("a.com", {largest, largest, largest, largest, largest});
    m_server.serveDomain("b.com", {largest, largest, largest, largest, largest});
    button("cmdUpdate0").click();
    ASSERT_EQ(cell(2, 6), u"999,999,999,999,999"_s);
    EXPECT_EQ(window().frameGeometry().width(), available.width());
    EXPECT_TRUE(available.contains(window().frameGeometry()));
    EXPECT_FALSE(everyColumnInViewWhole(grid()));

    const int edge = grid().viewport()->width();
    const int cut = grid().columnAt(edge - 1);
    ASSERT_GT(cut, 0);
    ASSERT_GT(grid().columnViewportPosition(cut) + grid().columnWidth(cut), edge) << "no column is cut";
    const QImage drawn = grid().viewport()->grab().toImage().convertToFormat(QImage::Format_Grayscale8);
    const qreal ratio = drawn.devicePixelRatio();
    const QRect line = grid().visualRect(grid().model()->index(1, cut)).intersected(QRect(0, 0, edge, 1000));
    const auto inked = [&](int x, int top, int bottom) {
        for (int y = top; y < bottom; ++y) {
            if (qGray(drawn.pixel(qRound(x * ratio), qRound(y * ratio))) < 128)
                return true;
        }
        return false;
    };
    const QFontMetrics metrics(grid().font());
    const int textTop = line.center().y() - metrics.ascent() / 2;
    const int upperHalfEnd = line.center().y();
    int lastInk = line.right() - 1; // the cell's right grid line is not text
    while (lastInk > line.left() && !inked(lastInk, line.top() + 1, line.bottom()))
        --lastInk;
    ASSERT_GT(lastInk, line.left()) << "the cut cell shows nothing";
    for (int x = lastInk - metrics.horizontalAdvance(u"…"_s) + 2; x <= lastInk; ++x)
        EXPECT_FALSE(inked(x, textTop - metrics.ascent() / 2, upperHalfEnd - 1)) << x;
}

TEST_F(ScreenTest, ALongDomainWidensItsColumnUpToHalfTheDesignedGridAndShowsWholeInATooltip)
{
    m_availableArea = screenAvailableArea;
    const QString longer = u"a-domain-longer-than-its-column.com"_s;
    const QString longest = u"www."_s + QString(120, u'x') + u".com"_s;
    start("a.com|\r\n" + longer.toLatin1() + "|\r\n");
    if (window().screen()->availableGeometry().width() <= 650)
        GTEST_SKIP() << "the screen is narrower than the window's design";
    const int half = qRound(9000 * grid().logicalDpiX() / 1440.0) / 2; // of the grid as designed
    EXPECT_GT(grid().columnWidth(0), 137);
    EXPECT_LT(grid().columnWidth(0), half);
    EXPECT_GE(grid().columnWidth(0), drawnWidth(grid(), grid().font(), longer));

    m_dialogs.prompts = {longest};
    button("cmdAddDomain").click();
    ASSERT_EQ(cell(3, 0), longest);
    EXPECT_EQ(grid().columnWidth(0), half);
    EXPECT_TRUE(everyColumnInViewWhole(grid())); // the window has widened for it

    // A domain cut by its column shows whole in a tooltip; one that fits shows none.
    const auto tooltipAt = [&](int row) {
        QToolTip::hideText();
        EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 10000));
        const QRect place = grid().visualRect(grid().model()->index(row - 1, 0));
        QHelpEvent help(QEvent::ToolTip, place.center(), grid().viewport()->mapToGlobal(place.center()));
        QApplication::sendEvent(grid().viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tooltipAt(3), longest);
    EXPECT_EQ(tooltipAt(2), QString());
    EXPECT_EQ(tooltipAt(1), QString());

    // Counts too wide for the screen beside it: the domain column gives way, down to its laid-out width.
    constexpr qint64 large = 2148719213;
    m_server.serveDomain("a.com", {large, large, large, large, large});
    grid().makeCurrent(1, 0);
    button("cmdUpdate1").click();
    ASSERT_EQ(cell(1, 6), u"2,148,719,213"_s);
    EXPECT_EQ(window().frameGeometry().width(), window().screen()->availableGeometry().width());
    EXPECT_LT(grid().columnWidth(0), half);
    EXPECT_TRUE(grid().columnWidth(0) == 141 || everyColumnInViewWhole(grid()));
}

TEST_F(ScreenTest, CountColumnTitlesEndWhereTheirNumbersEnd)
{
    start("a.com|AllTheWeb=2,148,719,213|AltaVista=0|Google=56|HotBot=1,234|MSN=7|\r\n");
    QHeaderView& header = *grid().horizontalHeader();
    const QImage titles = header.viewport()->grab().toImage().convertToFormat(QImage::Format_Grayscale8);
    const QImage cells = grid().viewport()->grab().toImage().convertToFormat(QImage::Format_Grayscale8);
    // The rightmost column of a section with ink darker than the text's half tone, the grid line left out.
    const auto lastInk = [](const QImage& image, int left, int right) {
        const qreal ratio = image.devicePixelRatio();
        for (int x = qRound(right * ratio) - 2; x >= qRound(left * ratio); --x) {
            for (int y = 2; y < image.height() - 2; ++y) {
                if (qGray(image.pixel(x, y)) < 128)
                    return x / ratio;
            }
        }
        return qreal(-1);
    };
    for (int col = 1; col < 7; ++col) {
        const int left = grid().columnViewportPosition(col);
        const int right = left + grid().columnWidth(col);
        const QImage row = cells.copy(0, 0, cells.width(), qRound(grid().rowHeight(0) * cells.devicePixelRatio()));
        const qreal title = lastInk(titles, left, right);
        const qreal number = lastInk(row, left, right);
        ASSERT_GT(title, left) << col;
        EXPECT_LE(std::abs(title - number), 1.0)
            << "column " << col << ": title ends at " << title << ", its number at " << number;
    }
}
