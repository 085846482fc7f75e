#include "app/centreform.h"

#include <gtest/gtest.h>

namespace {

TEST(CentreForm, HalvesTheSpaceLeftTruncatingTowardsZero)
{
    const struct {
        QSize window;
        int offset;
        QPoint position;
    } cases[] = {
        {{1024, 768}, 0, {0, 0}},      {{723, 768}, 0, {150, 0}},     {{1325, 1069}, 0, {-150, -150}},
        {{624, 468}, 120, {320, 270}}, {{624, 468}, 769, {200, 150}}, {{624, 468}, 1025, {200, 150}},
        {{624, 468}, 768, {968, 918}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(centredPosition({1024, 768}, c.window, c.offset), c.position) << c.window.width() << " " << c.offset;
}

} // namespace
