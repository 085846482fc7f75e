#include "app/aboutbox.h"
#include "support/modaldialog.h"
#include "windowfixture.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QStyleOptionButton>
#include <QTest>

#include <algorithm>

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
    // The design at 96 dpi (twips / 15), 16 pixels wider than designed so that "Where I Do Rank In Free Search
    // Engines?" fits in the desktop's font; the domain column has two ninths of the grid's width.
    start("a.com|\r\n");
    ASSERT_EQ(window().logicalDpiX(), 96);
    EXPECT_EQ(window().centralWidget()->size(), QSize(632, 457));
    EXPECT_EQ(button("cmdUpdate0").geometry(), QRect(16, 8, 113, 25));
    EXPECT_EQ(button("cmdCancelUpdate").geometry(), QRect(80, 8, 113, 25));
    EXPECT_EQ(button("cmdExit").geometry(), QRect(576, 8, 33, 25));
    EXPECT_EQ(grid().geometry(), QRect(8, 56, 616, 358));
    EXPECT_EQ(grid().columnWidth(0), 137);
    EXPECT_EQ(grid().ColWidth(7), 945);

    // The grid follows the window, the filler column follows the grid, the buttons keep their places.
    window().resize(window().size() + QSize(150, 90));
    QCoreApplication::processEvents();
    EXPECT_EQ(grid().geometry(), QRect(8, 56, 766, 448));
    EXPECT_EQ(grid().ColWidth(7), 945 + 2250);
    EXPECT_EQ(button("cmdExit").geometry().topLeft(), QPoint(576, 8));
    EXPECT_EQ(button("cmdPopularityMean").geometry().top(), 424 + 90);
}

TEST_F(ScreenTest, TheProgressLabelAndEveryButtonShowTheirWholeText)
{
    start("");
    const QLabel& progress = label("sklCompleted");
    EXPECT_GE(progress.contentsRect().width(), drawnWidth(progress, progress.font(), u"99999 of 100000  : 100%"_s));
    EXPECT_GE(progress.contentsRect().height(), QFontMetricsF(progress.font()).height());

    // One font for every button, every caption inside its button's frame, no button over another (but Cancel,
    // which stands in place of the update buttons), and the window at most 240 twips wider than designed.
    const QList<QPushButton*> buttons = window().centralWidget()->findChildren<QPushButton*>();
    const QPushButton* cancel = &button("cmdCancelUpdate");
    for (const QPushButton* button : buttons) {
        SCOPED_TRACE(button->text().toStdString());
        EXPECT_EQ(button->font(), buttons.first()->font());
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QRect inside = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        EXPECT_GE(inside.width(), drawnWidth(*button, button->font(), button->text()));
        for (const QPushButton* other : buttons) {
            if (other != button && button != cancel && other != cancel) {
                EXPECT_FALSE(button->geometry().intersects(other->geometry())) << other->text().toStdString();
            }
        }
    }
    const double pixelsPerTwip = window().logicalDpiX() / 1440.0;
    EXPECT_LE(window().centralWidget()->width(), qRound((9240 + 240) * pixelsPerTwip));
}

TEST_F(ScreenTest, WindowsAreCentredByTheirOuterFrame)
{
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
