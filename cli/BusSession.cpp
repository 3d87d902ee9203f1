#include "cli/BusSession.h"

#include "cli/ExitCode.h"
#include "cli/PortCheck.h"
#include "serial/NetworkAddress.h"

#include <algorithm>

namespace cli {
namespace {

// An interrupt is noticed at least this often while nothing arrives.
constexpr std::chrono::milliseconds kWaitSlice {50};

} // namespace

std::string LineErrorText(const bus::LineError& error)
{
    switch (error.fault) {
    case bus::LineFault::None: return "no error";
    case bus::LineFault::NoDevice: return "no such device";
    case bus::LineFault::PermissionDenied: return "permission denied";
    case bus::LineFault::Busy: return "busy: another program holds the port";
    case bus::LineFault::NotSerial: return "not a serial device";
    case bus::LineFault::SettingsRefused: return "the device refused the line settings";
    case bus::LineFault::DeviceGone:
        return error.system == std::errc::connection_reset ? "the connection to the server was lost"
                                                           : "the device stopped working (unplugged?)";
    case bus::LineFault::TimedOut: return "timed out";
    case bus::LineFault::NotOpen: return "the port is closed";
    case bus::LineFault::Other: break;
    }
    return error.system ? error.system.message() : "failed";
}

int CBusSession::Fail(const std::string& what)
{
    m_context.err << "brenvik-cli: " << m_label << ": " << what << '\n';
    m_port.Close();
    return ExitPortError;
}

int CBusSession::Open(const CliOptions& options)
{
    const std::string name = options.port.value_or("COM" + std::to_string(m_context.savedComPort));
    const std::optional<int> comNumber = ComNumberOf(name);
    m_name = comNumber ? "COM" + std::to_string(*comNumber) : name;
    m_path = ResolvePortName(name, m_context.portLookup).value_or("");
    m_label = comNumber ? "COM" + std::to_string(*comNumber) + " (" + (m_path.empty() ? "no device" : m_path) + ")"
                        : m_path;
    if (m_path.empty())
        return Fail("no device is mapped to this port (see brenvik-cli ports)");
    const auto network = ParseNetworkAddress(m_path);
    if (network) {
        if (const auto* wrong = std::get_if<NetworkAddressError>(&*network))
            return Fail("not a network interface: " + wrong->reason);
        if (options.timeoutGiven)
            m_line.SetConnectTimeout(static_cast<win32::DWORD>(options.timeoutMs));
    }

    switch (const bus::LineError error = m_port.Open(m_path, options.line); error.fault) {
    case bus::LineFault::None: break;
    case bus::LineFault::PermissionDenied: return Fail("permission denied; to fix: " + PermissionFix(m_path));
    case bus::LineFault::Busy:
        return Fail(network ? "busy: the server turned the connection away (another client has the port?)"
                            : LineErrorText(error));
    case bus::LineFault::SettingsRefused:
        return Fail("cannot set " + std::to_string(options.line.baud) + " baud 8N1"
                    + (options.line.flow == busport::Flow::RtsCts ? " with RTS/CTS" : "") + ": "
                    + LineErrorText(error));
    case bus::LineFault::NoDevice:
        if (network) // nothing answered: the system says why, or the name did not resolve
            return Fail("cannot connect: " + (error.system ? error.system.message() : "host not found"));
        return Fail("cannot open: " + LineErrorText(error));
    default: return Fail("cannot open: " + LineErrorText(error));
    }

    m_byteTime = std::chrono::duration_cast<std::chrono::microseconds>(bus::ByteTime(options.line.baud));
    m_framer.SetMessageObserver([this](std::span<const std::uint8_t> message) {
        ++m_goodMessages;
        if (m_observer)
            m_observer(message);
    });
    m_lastReceived = Clock::now();
    return ExitOk;
}

void CBusSession::PumpForEcho(std::chrono::milliseconds length)
{
    PumpUntil(Clock::now() + length, [this] { return !m_framer.AwaitingEcho(); });
}

bus::LineError CBusSession::Send(const bus::GroupMessageFields& fields)
{
    return m_port.Send(fields, [this](std::chrono::milliseconds length) { PumpForEcho(length); });
}

void CBusSession::AwaitEcho()
{
    bus::WaitForEcho(m_framer, [this](std::chrono::milliseconds length) { PumpForEcho(length); });
}

bool CBusSession::PumpUntil(Clock::time_point deadline, const std::function<bool()>& done)
{
    for (;;) {
        if (done())
            return true;
        const auto now = Clock::now();
        if (now >= deadline || m_port.Failure() || m_context.Stopped())
            return false;
        const auto slice = std::min(std::chrono::ceil<std::chrono::milliseconds>(deadline - now), kWaitSlice);
        const std::uint64_t before = m_port.BytesReceived();
        m_port.WaitForEvent(slice);
        if (m_port.BytesReceived() != before)
            m_lastReceived = Clock::now();
    }
}

int CBusSession::ReportPortFailure()
{
    m_context.err << "brenvik-cli: " << m_label << ": " << LineErrorText(m_port.Failure()) << '\n';
    return ExitPortError;
}

} // namespace cli
