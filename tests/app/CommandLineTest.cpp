#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <csignal>

#include "app/CommandLine.h"
#include "tests/support/ChildProgram.h"

namespace {

TEST(InfoOptions, AnswersHelpAndVersionOnlyWhenAsked)
{
    const struct {
        QStringList arguments;
        const char* startsWith; // nullptr: the program starts as usual
    } cases[] = {
        {{"brenvik"}, nullptr},
        {{"brenvik", "/home/me/layout.hex"}, nullptr},
        {{"brenvik", "-platform", "offscreen"}, nullptr},
        // Qt's one-dash words hold the letters of -v and -h: they ask for neither.
        {{"brenvik", "-reverse"}, nullptr},
        {{"brenvik", "-platformtheme", "gtk3", "-stylesheet", "a.qss"}, nullptr},
        {{"brenvik", "--", "--help"}, nullptr},
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

// The real program in a throw-away settings folder. The folder holds only the
// port map that keeps COM1 away from real devices; a program that refuses to
// start must leave it exactly so.
class ProgramCommandLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile conf(Conf());
        ASSERT_TRUE(QDir().mkpath(m_config.path() + "/Olvarn") && conf.open(QIODevice::WriteOnly));
        conf.write(kPortMap);
        QFile project(Project());
        ASSERT_TRUE(project.open(QIODevice::WriteOnly));
    }
    QString Conf() const { return m_config.path() + "/Olvarn/Brenvik.conf"; }
    QString Project() const { return m_project.path() + "/layout.hex"; }
    // `firstPaint`: "stay" reports the first paint and keeps running; "end"
    // ends the program after it, so one that should not start never hangs a test.
    std::unique_ptr<ChildProgram> Run(const std::vector<std::string>& arguments, const char* firstPaint) const
    {
        return std::make_unique<ChildProgram>((QCoreApplication::applicationDirPath() + "/brenvik").toStdString(),
                                              arguments,
                                              std::map<std::string, std::string> {
                                                  {"XDG_CONFIG_HOME", m_config.path().toStdString()},
                                                  {"XDG_RUNTIME_DIR", m_project.path().toStdString()},
                                                  // Whatever needs a window system names it on its command line.
                                                  {"QT_QPA_PLATFORM", "no-platform-for-this-test"},
                                                  {"BRENVIK_FIRST_PAINT_REPORT", firstPaint},
                                                  // The old start-up hook must be ignored.
                                                  {"BRENVIK_MAP_PORT", "/nonexistent/brenvik-hook-device"},
                                              });
    }
    QStringList SettingsFiles() const
    {
        QStringList files;
        for (QDirIterator it(m_config.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
            files << it.next().mid(m_config.path().size());
        return files;
    }
    QString Saved(const QString& key) const { return QSettings(Conf(), QSettings::IniFormat).value(key).toString(); }

    static constexpr char kPortMap[] = "[Ports]\nCOM1=/nonexistent/brenvik-test-COM1\n";
    QTemporaryDir m_config;
    QTemporaryDir m_project;
};

TEST_F(ProgramCommandLine, AnswersOrRefusesWithoutWritingSettings)
{
    const std::string project = Project().toStdString();
    const std::string folder = m_project.path().toStdString();
    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        const char* out;        // what standard output starts with
        std::string errorLines; // standard error, whole
    } cases[] = {
        {{"--help"}, 0, "Usage: brenvik [options] [project]\n", ""},
        {{"--version", project}, 0, "Brenvik 1.03\nQt 6.", ""},
        // Without a display (the environment names no platform Qt has): each
        // refusal is one line, before anything needs the window system.
        {{"--bogus", project}, 1, "", "brenvik: unknown option 'bogus' (usage: brenvik [options] [project])\n"},
        {{"-bogus"}, 1, "", "brenvik: unknown option 'bogus' (usage: brenvik [options] [project])\n"},
        {{"-style"}, 1, "", "brenvik: missing value after '-style' (usage: brenvik [options] [project])\n"},
        {{project, project}, 1, "",
         "brenvik: one project file at most, not 2 (usage: brenvik [options] [project])\n"},
        {{"-platform", "offscreen", "-reverse", project, project}, 1, "",
         "brenvik: one project file at most, not 2 (usage: brenvik [options] [project])\n"},
        {{folder + "/missing.hex"}, 1, "", "brenvik: the project file \"" + folder + "/missing.hex\" does not exist\n"},
        {{folder}, 1, "", "brenvik: \"" + folder + "\" is not a project file but a folder\n"},
    };
    for (const auto& c : cases) {
        const std::string name = c.arguments.front() + " " + c.arguments.back();
        const auto program = Run(c.arguments, "end");
        EXPECT_EQ(program->Finish(), c.exitCode) << name;
        EXPECT_EQ(program->RestOfOut().rfind(c.out, 0), 0u) << name;
        EXPECT_EQ(program->RestOfErr(), c.errorLines) << name;
        EXPECT_EQ(SettingsFiles(), QStringList {"/Olvarn/Brenvik.conf"}) << name;
        QFile conf(Conf());
        ASSERT_TRUE(conf.open(QIODevice::ReadOnly));
        EXPECT_EQ(conf.readAll().toStdString(), kPortMap) << name;
    }
}

// Qt takes its own options, an existing file is the project, and the program
// opens the port of its settings, not a device named in the environment.
TEST_F(ProgramCommandLine, StartsWithQtOptionsAndAnExistingProject)
{
    const struct {
        std::vector<std::string> arguments;
        QString project;
    } cases[] = {
        {{"-platform", "offscreen"}, ""},
        {{"-platform", "offscreen", "-reverse", Project().toStdString()}, Project()},
    };
    for (const auto& c : cases) {
        const std::string name = c.arguments.back();
        const auto program = Run(c.arguments, "stay");
        std::string line;
        while ((line = program->ErrLine()).rfind("first-paint-ns", 0) != 0)
            ASSERT_FALSE(line.empty()) << name << ": the program never painted";
        EXPECT_EQ(program->Finish(SIGTERM), 0) << name;
        EXPECT_EQ(Saved("FilePaths/g_ProjectFilePath"), c.project) << name;
        EXPECT_EQ(Saved("Recent File List/File1"), c.project) << name;
        EXPECT_EQ(Saved("Ports/COM1"), "/nonexistent/brenvik-test-COM1") << name;
    }
}

} // namespace
