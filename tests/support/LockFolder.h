#pragma once

#include "serial/DeviceLock.h"

#include <gtest/gtest.h>

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iomanip>
#include <string>

// A PID that no process has any more, for a stale lock.
inline pid_t GonePid()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

// A folder of UUCP device locks of the test's own, removed with the object;
// tests lock devices there as ser2net or minicom would.
class TempLockFolder {
public:
    explicit TempLockFolder(const std::string& name)
        : m_path(std::filesystem::path(::testing::TempDir()) / (name + "-" + std::to_string(::getpid())))
    {
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempLockFolder() { std::filesystem::remove_all(m_path); }
    TempLockFolder(const TempLockFolder&) = delete;
    TempLockFolder& operator=(const TempLockFolder&) = delete;

    std::string Path() const { return m_path.string(); }
    // Locks the device at `devicePath` in the name of `pid`.
    void Lock(const std::string& devicePath, pid_t pid) const
    {
        std::ofstream(device_lock::LockPath(Path(), devicePath)) << std::setw(10) << pid << '\n';
    }
    void Unlock(const std::string& devicePath) const { std::filesystem::remove(device_lock::LockPath(Path(), devicePath)); }

    // This process's command name, as a lock's owner is named.
    static std::string OwnProgramName()
    {
        std::string name;
        std::getline(std::ifstream("/proc/self/comm"), name);
        return name;
    }

private:
    std::filesystem::path m_path;
};
