#include "busport/ProbeLine.h"

#include "busport/BusPort.h"
#include "busport/SerialResult.h"
#include "serial/NetworkAddress.h"
#include "serial/ProbePort.h"

#ifndef _WIN32
#include "serial/ErrnoMap.h"
#endif

namespace busport {
namespace {

// How long a network interface may take to accept a connection, line settings included.
constexpr std::chrono::milliseconds kInterfaceProbeTimeout {500};

bus::LineError TryInterface(const std::string& url)
{
    CBusPort port;
    port.SetConnectTimeout(kInterfaceProbeTimeout);
    return port.Open(url, LineSettings {});
}

} // namespace

bus::LineError ProbeLine(const std::string& device)
{
    if (LooksLikeUrl(device))
        return TryInterface(device);
    std::error_code reason;
    if (ProbePort(device.c_str(), &reason) == PortFree)
        return {};
#ifdef _WIN32
    // The probe's reason is already the system's Win32 code.
    return LineErrorOf(static_cast<win32::LONG>(reason.value()), reason);
#else
    return LineErrorOf(Win32FromErrno(reason.value()), reason);
#endif
}

} // namespace busport
