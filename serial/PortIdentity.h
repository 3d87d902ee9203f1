#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// What the system tells about a serial device without opening it: the USB
// adapter behind it (from sysfs), its stable /dev/serial/by-id names and the
// processes that hold it open (from /proc, as far as this user may see).
// The root folders are parameters, so tests build a fake tree.
namespace port_identity {

struct Roots {
    std::string sys = "/sys";
    std::string byId = "/dev/serial/by-id";
    std::string proc = "/proc";
};

struct UsbIdentity {
    std::string vendorId;  // "0403"
    std::string productId; // "6001"
    std::string manufacturer;
    std::string product;
    std::string serial;
};

struct Holder {
    pid_t pid = 0;
    std::string program; // the process's command name
};

// The USB device the tty `devicePath` belongs to (its sysfs entry
// class/tty/<name>/device, then up to the folder with idVendor); nothing
// for a device that is not on USB.
std::optional<UsbIdentity> UsbIdentityOf(const std::string& devicePath, const Roots& roots = {});

// The links in the by-id folder that lead to `devicePath`, as full paths, sorted.
std::vector<std::string> ByIdNames(const std::string& devicePath, const Roots& roots = {});

// The processes with a descriptor open on `devicePath`, by pid.
std::vector<Holder> HoldersOf(const std::string& devicePath, const Roots& roots = {});

} // namespace port_identity
