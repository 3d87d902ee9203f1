#pragma once

#include "serial/PortIdentity.h"
#include "serial/PortNames.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// A sysfs tree, a /dev/serial/by-id folder and a /proc folder in a
// temporary folder, shaped as the kernel lays them out, so that what the
// system tells about a serial device is tested without the machine's own.
class FakeSystemTree {
public:
    explicit FakeSystemTree(const std::string& name)
        : m_root(std::filesystem::path(::testing::TempDir()) / (name + "-" + std::to_string(::getpid())))
    {
        std::filesystem::remove_all(m_root);
        for (const char* folder : {"sys/class/tty", "sys/devices", "by-id", "proc"})
            std::filesystem::create_directories(m_root / folder);
    }
    ~FakeSystemTree() { std::filesystem::remove_all(m_root); }
    FakeSystemTree(const FakeSystemTree&) = delete;
    FakeSystemTree& operator=(const FakeSystemTree&) = delete;

    port_identity::Roots Roots() const
    {
        return {(m_root / "sys").string(), (m_root / "by-id").string(), (m_root / "proc").string()};
    }
    const std::filesystem::path& Root() const { return m_root; }

    // A USB adapter (bus 1, port `port`) whose first interface carries the tty.
    void AddUsbTty(const std::string& ttyName, const std::string& port, const port_identity::UsbIdentity& usb)
    {
        const std::filesystem::path device = m_root / "sys/devices/pci0000:00/usb1" / ("1-" + port);
        const std::filesystem::path interface = device / ("1-" + port + ":1.0");
        std::filesystem::create_directories(interface / "tty" / ttyName);
        Write(device / "idVendor", usb.vendorId);
        Write(device / "idProduct", usb.productId);
        if (!usb.manufacturer.empty())
            Write(device / "manufacturer", usb.manufacturer);
        Write(device / "product", usb.product);
        Write(device / "serial", usb.serial);
        Write(interface / "bInterfaceNumber", "00");
        AddTtyEntry(ttyName, interface);
    }
    // A tty of the machine itself, not on USB.
    void AddPlatformTty(const std::string& ttyName)
    {
        const std::filesystem::path device = m_root / "sys/devices/platform/serial8250";
        std::filesystem::create_directories(device);
        AddTtyEntry(ttyName, device);
    }
    void AddByIdLink(const std::string& name, const std::string& target)
    {
        std::filesystem::create_symlink(target, m_root / "by-id" / name);
    }
    // The built-in table with its devices in the tree's dev folder: COM9 is dev/ttyUSB0.
    PortLookup BuiltInTable() const
    {
        return [dev = m_root / "dev"](int number) -> std::optional<std::string> {
            const std::optional<std::string> path = BuiltInPortPath(number);
            return path ? std::optional((dev / std::filesystem::path(*path).filename()).string()) : path;
        };
    }
    // An adapter plugged in as dev/<node> (a link to `device`), with its by-id
    // name leading to that node; a node or name of an earlier plug is replaced.
    void Plug(const std::string& node, const std::string& device, const std::string& byIdName)
    {
        const std::filesystem::path nodePath = m_root / "dev" / node;
        std::filesystem::create_directories(nodePath.parent_path());
        std::filesystem::remove(nodePath);
        std::filesystem::create_symlink(device, nodePath);
        std::filesystem::remove(m_root / "by-id" / byIdName);
        AddByIdLink(byIdName, nodePath.string());
    }
    void AddProcess(int pid, const std::string& program, const std::vector<std::string>& openPaths)
    {
        const std::filesystem::path process = m_root / "proc" / std::to_string(pid);
        std::filesystem::create_directories(process / "fd");
        Write(process / "comm", program);
        int fd = 0;
        for (const std::string& path : openPaths)
            std::filesystem::create_symlink(path, process / "fd" / std::to_string(fd++));
    }

private:
    static void Write(const std::filesystem::path& file, const std::string& line) { std::ofstream(file) << line << '\n'; }
    void AddTtyEntry(const std::string& ttyName, const std::filesystem::path& device)
    {
        const std::filesystem::path entry = m_root / "sys/class/tty" / ttyName;
        std::filesystem::create_directories(entry);
        std::filesystem::create_symlink(std::filesystem::relative(device, entry), entry / "device");
    }

    std::filesystem::path m_root;
};
