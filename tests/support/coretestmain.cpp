#include <QCoreApplication>

#include <gtest/gtest.h>

// Core tests run Qt's event loop without widgets or a display: a QCoreApplication, and nothing of a platform.
int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
