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

TEST(RepaintThrottle, HoldsRepaintsBackButDeliversTheLastOne)
{
    CountingWidget widget;
    widget.resize(100, 100);
    widget.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return widget.paints > 0; }));

    RepaintThrottle throttle(widget, 200);
    throttle.setActive(true);
    const int before = widget.paints;
    for (int i = 0; i < 50; ++i) {
        widget.update();
        QCoreApplication::processEvents();
    }
    EXPECT_LE(widget.paints - before, 1);
    // The held repaint comes once the interval has passed.
    EXPECT_TRUE(QTest::qWaitFor([&] { return widget.paints > before; }));

    // A repaint held when the throttle stops is delivered at once.
    const int held = widget.paints;
    widget.update();
    QCoreApplication::processEvents();
    widget.update();
    QCoreApplication::processEvents();
    throttle.setActive(false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return widget.paints > held; }));
}

} // namespace
