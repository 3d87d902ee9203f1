#include "settings/SettingsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace settings {
namespace {

constexpr mode_t kPrivate = S_IRUSR | S_IWUSR;
constexpr mode_t kOthersAccess = S_IRWXG | S_IRWXO;

const char* KindOf(mode_t mode)
{
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    return "not a regular file";
}

} // namespace

std::optional<std::string> RefusalOf(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return std::nullopt;
        return "the settings file " + path + " cannot be read: " + std::strerror(errno);
    }
    if (S_ISREG(info.st_mode))
        return std::nullopt;
    return "the settings path " + path + " is " + KindOf(info.st_mode)
        + ", not a file: the settings are neither read nor written";
}

bool CreatePrivate(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    // O_EXCL: a file that is there already, or appears meanwhile, stays as it is.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kPrivate);
    if (fd >= 0)
        return ::close(fd) == 0;
    return errno == EEXIST;
}

bool MakePrivate(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || (info.st_mode & kOthersAccess) == 0)
        return false;
    return ::chmod(path.c_str(), info.st_mode & 07777 & ~kOthersAccess) == 0;
}

} // namespace settings
