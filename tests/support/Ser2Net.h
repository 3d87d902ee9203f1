#pragma once

#include "tests/support/ChildProgram.h"
#include "tests/support/WaitUntil.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

// A real ser2net on 127.0.0.1 in front of a device (the simulator's
// pseudo-terminal), started with a configuration of its own on free ports:
// an RFC 2217 accepter whose device side starts at 9600 baud, so that only
// the client's negotiation brings the line to the bus speed, and a raw TCP
// accepter that sets the bus speed itself.
class Ser2Net {
public:
    static constexpr const char* kProgram = "/usr/sbin/ser2net";
    // Where it keeps the UUCP locks of the devices it holds.
    static constexpr const char* kLockFolder = "/var/lock";
    static bool Installed() { return ::access(kProgram, X_OK) == 0; }

    // ser2net locks a serial device while a client has it, but not a
    // pseudo-terminal unless told to: Uucp tells it to, as for a real device.
    enum class Locks { AsOnAPty, Uucp };

    explicit Ser2Net(const std::string& device, Locks locks = Locks::AsOnAPty)
        : m_rfc2217Port(FreePort()), m_tcpPort(FreePort())
    {
        const std::string connector = locks == Locks::Uucp ? "serialdev(nouucplock=false)," : "serialdev,";
        char dir[] = "/tmp/brenvik-ser2net-XXXXXX";
        if (!::mkdtemp(dir))
            throw std::runtime_error("mkdtemp");
        m_dir = dir;
        std::ofstream(m_dir / "ser2net.yaml")
            << "connection: &rfc2217\n"
            << "  accepter: telnet(rfc2217),tcp,127.0.0.1," << m_rfc2217Port << "\n"
            << "  connector: " << connector << device << ",9600n81,local\n"
            << "connection: &raw\n"
            << "  accepter: tcp,127.0.0.1," << m_tcpPort << "\n"
            << "  connector: " << connector << device << ",16457n81,local\n";
        Start();
    }
    ~Ser2Net()
    {
        Stop();
        std::filesystem::remove_all(m_dir);
    }
    Ser2Net(const Ser2Net&) = delete;
    Ser2Net& operator=(const Ser2Net&) = delete;

    std::string Rfc2217Url() const { return "rfc2217://127.0.0.1:" + std::to_string(m_rfc2217Port); }
    pid_t Pid() const { return m_process ? m_process->Pid() : -1; }
    std::string TcpUrl() const { return "tcp://127.0.0.1:" + std::to_string(m_tcpPort); }

    // Starts the server (again, after Stop) on its ports.
    void Start()
    {
        m_process = std::make_unique<ChildProgram>(
            kProgram, std::vector<std::string> {"-n", "-c", (m_dir / "ser2net.yaml").string(), "-P",
                                                (m_dir / "ser2net.pid").string()});
        // Ready once both accepters listen; looked up without connecting,
        // since a connection would open the device.
        if (!Eventually([this] { return Listening(m_rfc2217Port) && Listening(m_tcpPort); }))
            throw std::runtime_error("ser2net did not start listening");
    }

    // Ends the server as a stop of its service would; it closes its connections.
    void Stop()
    {
        if (m_process) {
            m_process->Finish(SIGTERM);
            m_process.reset();
        }
    }

    // A port nothing listens on now (the kernel's choice of a free one).
    static int FreePort()
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
            || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("no free port");
        ::close(fd);
        return ntohs(address.sin_port);
    }

private:
    // Whether a socket listens on 127.0.0.1:port (state 0A in /proc/net/tcp).
    static bool Listening(int port)
    {
        char wanted[32];
        std::snprintf(wanted, sizeof wanted, "0100007F:%04X", port);
        std::ifstream table("/proc/net/tcp");
        std::string slot, local, remote, state;
        std::string line;
        std::getline(table, line);
        while (table >> slot >> local >> remote >> state) {
            if (local == wanted && state == "0A")
                return true;
            std::getline(table, line);
        }
        return false;
    }

    std::filesystem::path m_dir;
    int m_rfc2217Port;
    int m_tcpPort;
    std::unique_ptr<ChildProgram> m_process;
};
