#include "cli/PortCheck.h"

#include "busport/ProbeLine.h"

#ifndef _WIN32
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>
#endif

namespace cli {

#ifdef _WIN32
// A device's access on Windows is the administrator's to give; there is no group to join.
std::string PermissionFix(const std::string& path)
{
    return "ask the administrator for read and write access to " + path;
}
#else
namespace {

bool InGroupNow(gid_t group)
{
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    groups.resize(static_cast<std::size_t>(std::max(::getgroups(static_cast<int>(groups.size()), groups.data()), 0)));
    return ::getegid() == group || std::find(groups.begin(), groups.end(), group) != groups.end();
}

// Whether the user database lists this user in the group, which then takes
// effect only in a new login session.
bool ListedInGroup(const struct group& entry)
{
    const passwd* user = ::getpwuid(::geteuid());
    if (!user || !entry.gr_mem)
        return false;
    for (char** member = entry.gr_mem; *member; ++member) {
        if (std::string(*member) == user->pw_name)
            return true;
    }
    return false;
}

} // namespace

std::string PermissionFix(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return {};
    const group* owner = ::getgrgid(info.st_gid);
    const bool groupMayUse = (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    if (!owner || !groupMayUse || info.st_gid == 0)
        return "ask the administrator for read and write access to " + path;
    const std::string name = owner->gr_name;
    if (!InGroupNow(info.st_gid) && ListedInGroup(*owner))
        return "you are in group " + name + " but this session is older: log out and in again";
    return "sudo usermod -aG " + name + " $USER, then log out and in again";
}
#endif

PortCondition InspectPort(const std::string& path, const std::string& lockFolder)
{
    // The probe keeps the system's reason, so a forbidden port (which needs
    // another remedy) is told from a held one.
    switch (busport::ProbeLine(path, lockFolder).fault) {
    case bus::LineFault::None: return {PortState::Free, {}, {}};
    case bus::LineFault::Busy: return {PortState::Busy, {}, busport::LockOwner(lockFolder, path)};
    case bus::LineFault::NoDevice: return {PortState::Absent, {}, {}};
    case bus::LineFault::PermissionDenied: return {PortState::PermissionDenied, PermissionFix(path), {}};
    default: return {PortState::Unknown, {}, {}};
    }
}

const char* PortStateText(PortState state)
{
    switch (state) {
    case PortState::Free: return "free";
    case PortState::Busy: return "busy";
    case PortState::Absent: return "absent";
    case PortState::PermissionDenied: return "permission denied";
    default: return "unusable";
    }
}

} // namespace cli
