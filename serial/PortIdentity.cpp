#include "serial/PortIdentity.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace port_identity {
namespace {

// A sysfs attribute: its first line.
std::string Attribute(const fs::path& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

// The same file: same device and inode, links followed.
bool SameFile(const struct stat& a, const fs::path& path)
{
    struct stat b {};
    return ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The tty's name in sysfs: the device's own name, links followed.
std::string TtyName(const std::string& devicePath)
{
    std::error_code error;
    const fs::path real = fs::canonical(devicePath, error);
    return error ? fs::path(devicePath).filename().string() : real.filename().string();
}

bool IsNumber(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

} // namespace

std::optional<UsbIdentity> UsbIdentityOf(const std::string& devicePath, const Roots& roots)
{
    std::error_code error;
    fs::path folder = fs::canonical(fs::path(roots.sys) / "class" / "tty" / TtyName(devicePath) / "device", error);
    if (error)
        return std::nullopt;
    const fs::path top = fs::canonical(roots.sys, error);
    // The interface of a USB adapter sits one or two folders below its device.
    for (int up = 0; up < 4 && !error && folder != top && folder.has_relative_path(); ++up, folder = folder.parent_path()) {
        if (fs::exists(folder / "idVendor", error))
            return UsbIdentity {Attribute(folder / "idVendor"), Attribute(folder / "idProduct"),
                                Attribute(folder / "manufacturer"), Attribute(folder / "product"),
                                Attribute(folder / "serial")};
    }
    return std::nullopt;
}

std::vector<std::string> ByIdNames(const std::string& devicePath, const Roots& roots)
{
    std::vector<std::string> names;
    struct stat device {};
    std::error_code error;
    if (::stat(devicePath.c_str(), &device) != 0)
        return names;
    for (const fs::directory_entry& entry : fs::directory_iterator(roots.byId, error)) {
        if (SameFile(device, entry.path()))
            names.push_back(entry.path().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<Holder> HoldersOf(const std::string& devicePath, const Roots& roots)
{
    std::vector<Holder> holders;
    struct stat device {};
    std::error_code error;
    if (::stat(devicePath.c_str(), &device) != 0)
        return holders;
    for (const fs::directory_entry& process : fs::directory_iterator(roots.proc, error)) {
        const std::string pid = process.path().filename().string();
        if (!IsNumber(pid))
            continue;
        std::error_code unreadable; // another user's process: not ours to see
        for (const fs::directory_entry& fd : fs::directory_iterator(process.path() / "fd", unreadable)) {
            if (SameFile(device, fd.path())) {
                holders.push_back({static_cast<pid_t>(std::stol(pid)), Attribute(process.path() / "comm")});
                break;
            }
        }
    }
    std::sort(holders.begin(), holders.end(), [](const Holder& a, const Holder& b) { return a.pid < b.pid; });
    return holders;
}

} // namespace port_identity
