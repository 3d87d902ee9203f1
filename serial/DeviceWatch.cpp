#include "serial/DeviceWatch.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr std::uint32_t kWatchMask = IN_CREATE | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;

std::string ParentOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool IsFolder(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

CDeviceWatch::CDeviceWatch(std::string path) : m_path(std::move(path))
{
    m_inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    WatchDeepestFolder();
}

CDeviceWatch::~CDeviceWatch()
{
    if (m_inotify >= 0)
        ::close(m_inotify);
}

bool CDeviceWatch::Present(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

void CDeviceWatch::WatchDeepestFolder()
{
    if (m_inotify < 0)
        return;
    std::string folder = ParentOf(m_path);
    while (folder != "/" && folder != "." && !IsFolder(folder))
        folder = ParentOf(folder);
    if (folder == m_watchedFolder && m_watch >= 0)
        return;
    if (m_watch >= 0)
        ::inotify_rm_watch(m_inotify, m_watch);
    m_watch = ::inotify_add_watch(m_inotify, folder.c_str(), kWatchMask);
    m_watchedFolder = folder;
    if (m_watch < 0) {
        // Out of watches, or a folder that cannot be watched: look once a second.
        ::close(m_inotify);
        m_inotify = -1;
    }
}

bool CDeviceWatch::TakeChanges()
{
    if (m_inotify >= 0) {
        alignas(inotify_event) char events[4096];
        ssize_t length = 0;
        while ((length = ::read(m_inotify, events, sizeof events)) > 0) {
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(events + at);
                // The watched folder went away, and its watch with it.
                if (event->mask & IN_IGNORED)
                    m_watch = -1;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        WatchDeepestFolder();
    }
    return Present(m_path);
}
