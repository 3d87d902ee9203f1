#include "cli/BusSession.h"

#include "cli/ExitCode.h"
#include "cli/PortCheck.h"

#include <algorithm>

namespace cli {
namespace {

// An interrupt is noticed at least this often while nothing arrives.
constexpr std::chrono::milliseconds kWaitSlice {50};

} // namespace

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

    switch (const bus::LineError error = m_port.Open(m_path, options.line); error.fault) {
    case bus::LineFault::None: break;
    case bus::LineFault::PermissionDenied: return Fail("permission denied; to fix: " + PermissionFix(m_path));
    case bus::LineFault::Busy: return Fail(LineErrorText(error));
    case bus::LineFault::SettingsRefused:
        return Fail("cannot set " + std::to_string(options.line.baud) + " baud 8N1"
                    + (options.line.flow == busport::Flow::RtsCts ? " with RTS/CTS" : "") + ": "
                    + LineErrorText(error));
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
