// GoogleTest entry point for suites that need a QApplication (widgets, fonts,
// palettes). They never need a display: without a platform chosen they run
// offscreen, which test discovery at build time relies on.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
