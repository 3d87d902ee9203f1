#include <QApplication>
#include <QFileInfo>
#include <cstdio>

#include "app/BrenvikApp.h"
#include "app/BrenvikView.h"
#include "app/DemoDriver.h"
#include "app/InfoOptions.h"
#include "app/MainFrame.h"
#include "app/PortMapping.h"
#include "platform/FirstPaintProbe.h"

// Two settings for the scripts that start the program (make run):
// BRENVIK_MAP_PORT=DEVICE maps the current COM number to a device in the
// user's settings first; BRENVIK_DEMO_SCREENSHOT=FILE runs the unattended
// demonstration and saves its picture there.
int main(int argc, char** argv)
{
    QStringList commandLine;
    for (int i = 0; i < argc; ++i)
        commandLine << QString::fromLocal8Bit(argv[i]);
    const QString programFolder = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath() + QLatin1Char('/');
    if (const std::optional<QString> answer = InfoOptionsAnswer(commandLine, programFolder)) {
        std::fputs(answer->toLocal8Bit().constData(), stdout);
        return 0;
    }

    QApplication application(argc, argv);
    // Desktops match the window to its desktop entry (and so its icon) by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.olvarn.Brenvik"));
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();

    const QString device = qEnvironmentVariable("BRENVIK_MAP_PORT");
    if (!device.isEmpty() && MapCurrentPort(device) == 0)
        std::fprintf(stderr, "brenvik: cannot store the port mapping for %s\n", qPrintable(device));

    CBrenvikApp app(&CBrenvikView::Create);
    if (!app.InitInstance(arguments))
        return 1;
    WatchForFirstPaint();
    const QString screenshot = qEnvironmentVariable("BRENVIK_DEMO_SCREENSHOT");
    if (!screenshot.isEmpty())
        StartDemo(*app.MainFrame(), screenshot);
    return application.exec();
}
