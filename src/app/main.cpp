#include "app/program.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // Ties the window to its desktop entry (its icon and name on Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("com.brenlow.Brenlow"));
    Program program;
    if (!program.start())
        return program.exitStatus();
    return application.exec();
}
