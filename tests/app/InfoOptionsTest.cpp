#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>

#include "app/InfoOptions.h"

namespace {

TEST(InfoOptions, AnswersHelpAndVersionOnlyWhenAsked)
{
    const struct {
        QStringList arguments;
        const char* startsWith;  // nullptr: the program starts as usual
    } cases[] = {
        {{"brenvik"}, nullptr},
        {{"brenvik", "/home/me/layout.hex"}, nullptr},
        {{"brenvik", "-platform", "offscreen"}, nullptr},
        {{"brenvik", "--version"}, "Brenvik 1.03\nQt 6."},
        {{"brenvik", "-v"}, "Brenvik 1.03\nQt 6."},
        {{"brenvik", "-platform", "offscreen", "--version"}, "Brenvik 1.03\nQt 6."},
        {{"/usr/bin/brenvik", "--help"}, "Usage: brenvik [options] [project]\n"},
        {{"brenvik", "-h", "layout.hex"}, "Usage: brenvik [options] [project]\n"},
    };
    for (const auto& c : cases) {
        const std::optional<QString> answer = InfoOptionsAnswer(c.arguments, "/opt/brenvik/bin/");
        if (!c.startsWith) {
            EXPECT_FALSE(answer) << c.arguments.join(' ').toStdString();
            continue;
        }
        ASSERT_TRUE(answer) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(answer->startsWith(c.startsWith)) << answer->toStdString();
    }
}

TEST(InfoOptions, HelpNamesWhereTheHelpPagesAre)
{
    const QString help = InfoOptionsAnswer({"brenvik", "--help"}, "/opt/brenvik/bin/").value();
    EXPECT_TRUE(help.contains("--version")) << help.toStdString();
    EXPECT_TRUE(help.endsWith("\nHelp pages: /opt/brenvik/share/brenvik/help/index.html\n")) << help.toStdString();
}

// The real program, with no display and no platform named: it must not need one.
TEST(InfoOptions, ProgramAnswersWithoutADisplay)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    for (const char* option : {"--version", "--help"}) {
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QCoreApplication::applicationDirPath() + "/brenvik", {option});
        ASSERT_TRUE(program.waitForFinished(20000)) << option;
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << option;
        EXPECT_EQ(program.exitCode(), 0) << option << program.readAllStandardError().toStdString();
        EXPECT_FALSE(program.readAllStandardOutput().isEmpty()) << option;
    }
}

}  // namespace
