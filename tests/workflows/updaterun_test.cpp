#include "workflows/updaterun.h"

#include <gtest/gtest.h>

namespace {

TEST(UpdateRun, ProgressTextRoundsTheSinglePrecisionPercentage)
{
    const struct {
        qint64 step;
        qint64 steps;
        const char* text;
    } cases[] = {
        {1, 5, "1 of 5  : 20%"},       {5, 5, "5 of 5  : 100%"},      {1, 15, "1 of 15  : 07%"},
        {1, 8, "1 of 8  : 13%"},       {1, 200, "1 of 200  : 01%"},   {1, 201, "1 of 201  : 00%"},
        {3, 8, "3 of 8  : 38%"},       {1, 40, "1 of 40  : 03%"},     {7, 40, "7 of 40  : 18%"},
        {29, 200, "29 of 200  : 15%"}, {1, 1000, "1 of 1000  : 00%"}, {5, 1000, "5 of 1000  : 01%"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UpdateRun::progressText(c.step, c.steps), QString::fromLatin1(c.text));
}

} // namespace
