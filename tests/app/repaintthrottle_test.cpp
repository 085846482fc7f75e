#include "app/repaintthrottle.h"

#include <QCoreApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

class CountingWidget : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

// A shown widget that has painted itself once; it counts the paints after that.
struct ShownWidget {
    ShownWidget()
    {
        widget.resize(100, 100);
        widget.show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return widget.paints > 0; }));
    }
    // Asks for a repaint many times over, letting events run after each.
    void burstOfUpdates()
    {
        for (int i = 0; i < 50; ++i) {
            widget.update();
            QCoreApplication::processEvents();
        }
    }
    CountingWidget widget;
};

TEST(RepaintThrottle, HoldsRepaintsBackAndDeliversTheLastOneAfterTheInterval)
{
    ShownWidget shown;
    RepaintThrottle throttle(shown.widget, 200);
    throttle.setActive(true);
    const int before = shown.widget.paints;
    shown.burstOfUpdates();
    EXPECT_LE(shown.widget.paints - before, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown.widget.paints > before; }));
}

TEST(RepaintThrottle, DeliversAHeldRepaintAtOnceWhenItStops)
{
    // An interval no test waits for: only the stop can deliver the repaint.
    ShownWidget shown;
    RepaintThrottle throttle(shown.widget, 10 * 60 * 1000);
    throttle.setActive(true);
    const int before = shown.widget.paints;
    shown.burstOfUpdates();
    ASSERT_EQ(shown.widget.paints, before);
    throttle.setActive(false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown.widget.paints > before; }));
}

} // namespace
