#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <csignal>

namespace {

// Runs the real program headless with its own settings folder, waits for its
// first paint, sends a signal, and reads what it saved.
class ProgramSignalTest : public ::testing::TestWithParam<int> {
protected:
    void Start()
    {
        // The program opens its port at start: never a real device.
        QSettings(m_config.path() + "/Olvarn/Brenvik.conf", QSettings::IniFormat)
            .setValue("Ports/COM1", "/nonexistent/brenvik-test-COM1");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", m_config.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("BRENVIK_FIRST_PAINT_REPORT", "stay");
        m_program.setProcessEnvironment(env);
        m_program.setProcessChannelMode(QProcess::MergedChannels);
        QFile project(Project());
        ASSERT_TRUE(project.open(QIODevice::WriteOnly));
        m_program.start(QCoreApplication::applicationDirPath() + "/brenvik", {Project()});
        ASSERT_TRUE(m_program.waitForStarted(20000));
        QByteArray output;
        while (!output.contains("first-paint-ns")) {
            ASSERT_TRUE(m_program.waitForReadyRead(20000)) << "the program never painted";
            output += m_program.readAll();
        }
    }
    QString Project() const { return m_config.path() + "/signal-test.hex"; }
    QString Saved(const QString& key) const
    {
        return QSettings(m_config.path() + "/Olvarn/Brenvik.conf", QSettings::IniFormat).value(key).toString();
    }

    QTemporaryDir m_config;
    QProcess m_program;
};

TEST_P(ProgramSignalTest, SignalClosesTheWindowAndSaves)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ::kill(static_cast<pid_t>(m_program.processId()), GetParam());
    ASSERT_TRUE(m_program.waitForFinished(20000));
    EXPECT_EQ(m_program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_program.exitCode(), 0);
    EXPECT_EQ(Saved("FilePaths/g_ProjectFilePath"), Project());
    EXPECT_FALSE(Saved("WindowPos/WindowPos").isEmpty());
    EXPECT_EQ(Saved("Settings/Ints/m_ActiveComPort"), "1");
    // A first run's untouched starting values stay unstored.
    EXPECT_EQ(Saved("Settings/Strings/m_NetName"), "");
}

INSTANTIATE_TEST_SUITE_P(TermAndInt, ProgramSignalTest, ::testing::Values(SIGTERM, SIGINT));

} // namespace
