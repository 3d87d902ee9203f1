#include "cli/ReplacedFile.h"

#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#include <windows.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace cli {
#ifndef _WIN32
namespace {

// The mode a new file gets from this process: 0666 less the umask.
mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace
#endif

CReplacedFile::~CReplacedFile()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        ::unlink(m_temporary.c_str());
    }
}

std::string CReplacedFile::Prepare()
{
    std::vector<char> name(m_path.begin(), m_path.end());
    const char suffix[] = ".XXXXXX";
    name.insert(name.end(), suffix, suffix + sizeof suffix); // with its terminating zero
    m_fd = ::mkstemp(name.data());
    if (m_fd < 0)
        return std::strerror(errno);
    m_temporary = name.data();
    // The file keeps its own mode; a new one gets the usual mode, not mkstemp's 0600.
#ifndef _WIN32
    struct stat existing {};
    ::fchmod(m_fd, ::stat(m_path.c_str(), &existing) == 0 ? existing.st_mode & 07777 : NewFileMode());
#endif
    return {};
}

std::string CReplacedFile::Commit(const std::string& text, const std::string& target)
{
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(m_fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::strerror(n < 0 ? errno : EIO);
        done += static_cast<std::size_t>(n);
    }
#ifdef _WIN32
    const bool synced = ::_commit(m_fd) == 0;
#else
    const bool synced = ::fsync(m_fd) == 0;
#endif
    const int syncError = errno;
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (!synced || !closed) {
        const int error = synced ? errno : syncError;
        ::unlink(m_temporary.c_str());
        return std::strerror(error);
    }
#ifdef _WIN32
    // Windows' rename refuses a target that exists.
    if (!::MoveFileExA(m_temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const int error = EACCES;
#else
    if (::rename(m_temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
#endif
        ::unlink(m_temporary.c_str());
        return std::strerror(error);
    }
    return {};
}

} // namespace cli
