#include "busport/LineErrorText.h"

#include "serial/NetworkAddress.h"
#include "serial/Sockets.h"

namespace busport {

std::string LineErrorText(const bus::LineError& error)
{
    switch (error.fault) {
    case bus::LineFault::None: return "no error";
    case bus::LineFault::NoDevice: return "no such device";
    // Serial devices belong to the dialout group on this system.
    case bus::LineFault::PermissionDenied: return "permission denied: add yourself to the dialout group";
    case bus::LineFault::Busy: return "in use by another program";
    case bus::LineFault::NotSerial: return "not a serial device";
    case bus::LineFault::SettingsRefused: return "the device refused the line settings";
    case bus::LineFault::DeviceGone:
        return error.system == net::ErrorCodeOf(net::kConnectionReset) ? "the connection to the server was lost"
                                                           : "the device stopped working (unplugged?)";
    case bus::LineFault::TimedOut: return "timed out";
    case bus::LineFault::NotOpen: return "the port is closed";
    case bus::LineFault::Other: break;
    }
    return error.system ? error.system.message() : "failed";
}

namespace {

bool IsNetworkPort(const std::string& port)
{
    const auto network = ParseNetworkAddress(port);
    return network && std::holds_alternative<NetworkAddress>(*network);
}

const char* const kTurnedAway = "busy: the server turned the connection away (another client, or a program on "
                                "the server, has the port?)";

} // namespace

std::string OpenErrorText(const std::string& port, const bus::LineError& error)
{
    const auto network = ParseNetworkAddress(port);
    if (network) {
        if (const auto* wrong = std::get_if<NetworkAddressError>(&*network))
            return "not a network interface: " + wrong->reason;
        if (error.fault == bus::LineFault::NoDevice) // the system says why, or the name did not resolve
            return "cannot connect: " + (error.system ? error.system.message() : "host not found");
        if (error.fault == bus::LineFault::Busy)
            return kTurnedAway;
        if (error.fault == bus::LineFault::TimedOut && error.system == net::ErrorCodeOf(net::kProtocolError))
            return "cannot open: the server kept sending but never answered the line settings (no RFC 2217 "
                   "server? try tcp://)";
    }
    return "cannot open: " + LineErrorText(error);
}

std::string FailureText(const std::string& port, const bus::LineError& error)
{
    if (error.fault == bus::LineFault::Busy && IsNetworkPort(port))
        return kTurnedAway;
    return LineErrorText(error);
}

} // namespace busport
