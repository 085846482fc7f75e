#include "app/program.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    Program program;
    program.start();
    return application.exec();
}
