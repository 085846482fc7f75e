#include "app/mainwindow.h"

using namespace Qt::StringLiterals;

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
{
    setWindowTitle(u"Brenlow - Link Popularity Tool"_s);
}
