#include <QApplication>
#include <cstdio>

#include "app/BrenvikApp.h"
#include "app/BrenvikView.h"
#include "app/CommandLine.h"
#include "app/DemoDriver.h"
#include "app/MainFrame.h"
#include "platform/FirstPaintProbe.h"
#include "platform/ProgramFolder.h"
#include "serial/DeviceLock.h"

// BRENVIK_DEMO_SCREENSHOT=FILE (set by make run without a display) runs the
// unattended demonstration and saves its picture there.
int main(int argc, char** argv)
{
    QStringList commandLine;
    for (int i = 0; i < argc; ++i)
        commandLine << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<QString> answer = InfoOptionsAnswer(commandLine, ProgramFolder())) {
        std::fputs(answer->toLocal8Bit().constData(), stdout);
        return 0;
    }

    // Read before the window system is needed, so a usage error needs no display.
    const StartArguments start = ReadStartArguments(commandLine);
    if (!start.refusal.isEmpty()) {
        std::fputs(start.refusal.toLocal8Bit().constData(), stderr);
        return 1;
    }
    QApplication application(argc, argv);
    // Desktops match the window to its desktop entry (and so its icon) by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.olvarn.Brenvik"));

    CBrenvikApp app(CBrenvikView::CreateWithLocksIn(device_lock::ProgramLockFolder()));
    if (!app.InitInstance(start.projectPath))
        return 1;
    WatchForFirstPaint();
    const QString screenshot = qEnvironmentVariable("BRENVIK_DEMO_SCREENSHOT");
    if (!screenshot.isEmpty())
        StartDemo(*app.MainFrame(), screenshot);
    return application.exec();
}
