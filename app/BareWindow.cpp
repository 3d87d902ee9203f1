// A bare Qt window built like the application (same compiler flags, same Qt
// modules), the yardstick of bench/startup.sh.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

#include "platform/FirstPaintProbe.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("&File"));
    window.setCentralWidget(new QLabel(QStringLiteral("Bare window")));
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.show();
    WatchForFirstPaint();
    return application.exec();
}
