#include "app/mainwindow.h"

#include <gtest/gtest.h>

namespace {

TEST(MainWindow, ShowsTheProgramsTitle)
{
    MainWindow window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Brenlow - Link Popularity Tool"));
}

} // namespace
