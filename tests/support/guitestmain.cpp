#include <QApplication>

#include <gtest/gtest.h>

// GUI tests drive the real widgets; CTest sets the offscreen platform, and so does this main when the test
// binary is run by hand or listed during the build.
int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
