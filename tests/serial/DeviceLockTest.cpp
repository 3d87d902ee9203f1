// The UUCP lock a device's open honours and holds, in a folder of the test's own.

#include "serial/DeviceLock.h"
#include "serial/SerialLine.h"

#include "tests/support/LockFolder.h"
#include "tests/support/PseudoTerminal.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using namespace win32;
namespace fs = std::filesystem;

std::string PidLine(pid_t pid)
{
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
    return text;
}

std::string Read(const fs::path& file)
{
    std::ostringstream text;
    text << std::ifstream(file).rdbuf();
    return text.str();
}

class DeviceLock : public ::testing::Test {
protected:
    TempLockFolder m_locks {"brenvik-locks"};
    const fs::path m_folder {m_locks.Path()};
};

TEST_F(DeviceLock, HonoursALiveOwnerReplacesAStaleLockAndHoldsItsOwnWhileOpen)
{
    struct Case {
        const char* what;
        std::function<void(const fs::path& lock)> prepare; // nothing: no lock there
        bool opens;
    };
    const Case cases[] = {
        {"no lock", {}, true},
        {"a live owner", [](const fs::path& lock) { std::ofstream(lock) << PidLine(::getppid()); }, false},
        {"its process gone", [](const fs::path& lock) { std::ofstream(lock) << PidLine(GonePid()); }, true},
        {"empty", [](const fs::path& lock) { std::ofstream(lock).flush(); }, true},
        {"garbage", [](const fs::path& lock) { std::ofstream(lock) << "\x01\x02garbage\xff"; }, true},
        {"a PID that is no number", [](const fs::path& lock) { std::ofstream(lock) << "   12ab\n"; }, true},
        {"a negative PID", [](const fs::path& lock) { std::ofstream(lock) << "        -5\n"; }, true},
        {"a PID beyond any", [](const fs::path& lock) { std::ofstream(lock) << "99999999999\n"; }, true},
        {"unreadable (a folder)", [](const fs::path& lock) { fs::create_directory(lock); }, false},
    };
    for (const Case& c : cases) {
        PseudoTerminal pty;
        const fs::path lock = device_lock::LockPath(m_folder.string(), pty.SlavePath());
        if (c.prepare)
            c.prepare(lock);
        const std::string before = fs::is_regular_file(lock) ? Read(lock) : "";
        CSerialLine line;
        line.SetLockFolder(m_folder.string());
        const LONG opened = line.Open(pty.Path(), 512, 512, false);
        if (!c.opens) {
            EXPECT_EQ(opened, ERROR_ACCESS_DENIED) << c.what;
            EXPECT_EQ(line.GetLastSystemError(), std::error_code(EBUSY, std::generic_category())) << c.what;
            EXPECT_EQ(fs::is_regular_file(lock) ? Read(lock) : "", before) << c.what; // left as it was
            EXPECT_TRUE(device_lock::LiveOwner(m_folder.string(), pty.SlavePath())) << c.what;
            fs::remove_all(lock);
            continue;
        }
        ASSERT_EQ(opened, 0) << c.what;
        EXPECT_EQ(Read(lock), PidLine(::getpid())) << c.what;
        EXPECT_EQ(line.Close(), 0);
        EXPECT_FALSE(fs::exists(lock)) << c.what;
        EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()), 0) << c.what;
    }
}

TEST_F(DeviceLock, ALockUnderTheNameALinkGivesIsHonouredToo)
{
    PseudoTerminal pty;
    const fs::path link = m_folder / "ttyUSB7";
    fs::create_symlink(pty.SlavePath(), link);
    std::ofstream(device_lock::LockPath(m_folder.string(), link.string())) << PidLine(::getppid());
    CSerialLine line;
    line.SetLockFolder(m_folder.string());
    EXPECT_EQ(line.Open(link.c_str(), 512, 512, false), ERROR_ACCESS_DENIED);
    EXPECT_EQ(device_lock::LockPath("/run/lock", "/dev/ttyUSB0"), "/run/lock/LCK..ttyUSB0");
}

TEST_F(DeviceLock, AFolderThatTakesNoLockLeavesTheDeviceUnlocked)
{
    std::ofstream(m_folder / "a-file").flush();
    for (const fs::path folder : {m_folder / "missing", m_folder / "a-file"}) {
        PseudoTerminal pty;
        CSerialLine line;
        line.SetLockFolder(folder.string());
        EXPECT_EQ(line.Open(pty.Path(), 512, 512, false), 0) << folder;
    }
}

} // namespace
