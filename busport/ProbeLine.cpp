#include "busport/ProbeLine.h"

#include "busport/BusPort.h"
#include "busport/SerialResult.h"
#include "serial/NetworkAddress.h"
#include "serial/NetworkPort.h"
#include "serial/ProbePort.h"
#include "serial/Sockets.h"

#ifndef _WIN32
#include "serial/DeviceLock.h"

#include <unistd.h>

#include <cerrno>
#endif

namespace busport {
namespace {

// How long a network interface may take to accept a connection, line settings included.
constexpr std::chrono::milliseconds kInterfaceProbeTimeout {500};
// As long as the connection probe gives a plain stream's server to turn the program away.
constexpr std::chrono::milliseconds kRefusalWait {CNetworkPort::kRefusalWaitMs};

bool IsPlainStream(const std::string& url)
{
    const auto network = ParseNetworkAddress(url);
    const auto* address = network ? std::get_if<NetworkAddress>(&*network) : nullptr;
    return address && address->protocol == NetworkAddress::Protocol::RawTcp;
}

bus::LineError TryInterface(const std::string& url)
{
    CBusPort port;
    port.SetConnectTimeout(kInterfaceProbeTimeout);
    bus::LineError error = port.Open(url, LineSettings {});
    const auto end = std::chrono::steady_clock::now() + kRefusalWait;
    while (!error && IsPlainStream(url) && std::chrono::steady_clock::now() < end)
        error = port.WaitForEvent(std::chrono::ceil<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()));
    return error;
}

} // namespace

bus::LineError ProbeLine(const std::string& device, const std::string& lockFolder)
{
    if (LooksLikeUrl(device))
        return TryInterface(device);
    if (LockOwner(lockFolder, device))
        return {bus::LineFault::Busy, std::make_error_code(std::errc::device_or_resource_busy)};
    std::error_code reason;
    if (ProbePort(device.c_str(), &reason) == PortFree)
        return {};
    return LineErrorOf(net::ResultOf(reason.value()), reason);
}

#ifdef _WIN32
// Windows keeps no UUCP locks: its own open is exclusive.
std::optional<port_identity::Holder> LockOwner(const std::string&, const std::string&)
{
    return std::nullopt;
}

std::optional<std::string> LockFolderProblem(const std::string&)
{
    return std::nullopt;
}
#else
std::optional<port_identity::Holder> LockOwner(const std::string& lockFolder, const std::string& path)
{
    if (lockFolder.empty())
        return std::nullopt;
    const auto owner = device_lock::LiveOwner(lockFolder, path);
    return owner ? std::optional(port_identity::Holder {owner->pid, owner->program}) : std::nullopt;
}

std::optional<std::string> LockFolderProblem(const std::string& lockFolder)
{
    if (lockFolder.empty() || ::access(lockFolder.c_str(), W_OK | X_OK) == 0)
        return std::nullopt;
    return lockFolder + ": " + std::error_code(errno, std::generic_category()).message();
}
#endif

std::string LockOwnerText(const port_identity::Holder& owner, const std::string& lockFolder)
{
    if (owner.pid == 0)
        return "a lock in " + lockFolder + " that cannot be read";
    return (owner.program.empty() ? "a program" : owner.program) + " (pid " + std::to_string(owner.pid) + "), by its lock";
}

std::string HeldByLockText(const std::string& path, const std::string& lockFolder)
{
    const auto owner = LockOwner(lockFolder, path);
    return owner ? ": held by " + LockOwnerText(*owner, lockFolder) : std::string();
}

} // namespace busport
