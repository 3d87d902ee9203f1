// The entry point of the benchmarks that run the program in-process: a
// QApplication (offscreen unless a platform is chosen), settings in a
// throw-away folder, message boxes answered at once.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include "platform/MessageBox.h"

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    SetMessageBoxHook([](QWidget*, const QString&, MessageIcon) {});
    // The first run's question before Set: the benchmarks write the starting values.
    SetQuestionHook([](QWidget*, const QString&) { return true; });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
