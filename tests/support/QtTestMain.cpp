// GoogleTest entry point for suites that need a QApplication (widgets, fonts,
// palettes). They never need a display: without a platform chosen they run
// offscreen, which test discovery at build time relies on. Settings never
// reach the user's own ~/.config.
#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Windows close all the time in tests; that must not end anything.
    QApplication::setQuitOnLastWindowClosed(false);
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
