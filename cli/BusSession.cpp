#include "cli/BusSession.h"

#include "cli/ExitCode.h"
#include "cli/PortCheck.h"
#include "serial/DeviceWatch.h"

#include <poll.h>

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

void CBusSession::NamePort(const CliOptions& options)
{
    const std::string name = options.port.value_or("COM" + std::to_string(m_context.savedComPort));
    const std::optional<int> comNumber = ComNumberOf(name);
    m_name = comNumber ? "COM" + std::to_string(*comNumber) : name;
    m_path = ResolvePortName(name, m_context.portLookup).value_or("");
    m_label = comNumber ? "COM" + std::to_string(*comNumber) + " (" + (m_path.empty() ? "no device" : m_path) + ")"
                        : m_path;
}

int CBusSession::OpenWhenPresent(const CliOptions& options)
{
    NamePort(options);
    if (!m_path.empty() && !CDeviceWatch::Present(m_path)) {
        m_context.err << "Waiting for " << m_label << " to appear; Ctrl+C ends.\n" << std::flush;
        CDeviceWatch watch(m_path);
        for (;;) {
            if (m_context.Stopped())
                return ExitOk;
            if (watch.TakeChanges())
                break;
            // Woken by the watch; an interrupt is noticed meanwhile, and
            // without a watch this is the look once a second.
            pollfd changed {watch.Fd(), POLLIN, 0};
            ::poll(&changed, 1, watch.Fd() >= 0 ? int(kWaitSlice.count()) : 1000);
        }
    }
    return Open(options);
}

int CBusSession::Open(const CliOptions& options)
{
    NamePort(options);
    const std::optional<int> comNumber = ComNumberOf(m_name);
    if (m_path.empty())
        return Fail("no device is mapped to this port (see brenvik-cli ports)");

    // A COM port opens with its stored line; a device named by path with the bus's own.
    busport::StoredLine stored;
    if (comNumber && m_context.lineLookup)
        stored = m_context.lineLookup(*comNumber);
    if (!stored.warning.empty())
        m_context.err << "brenvik-cli: warning: " << stored.warning << '\n';
    const busport::LineSettings line = LineFor(options, stored.settings);

    switch (const bus::LineError error = m_port.Open(m_path, line); error.fault) {
    case bus::LineFault::None: break;
    case bus::LineFault::PermissionDenied: return Fail("permission denied; to fix: " + PermissionFix(m_path));
    case bus::LineFault::Busy: return Fail(LineErrorText(error));
    case bus::LineFault::SettingsRefused:
        return Fail("cannot set " + std::to_string(line.baud) + " baud 8N1"
                    + (line.flow == busport::Flow::RtsCts ? " with RTS/CTS" : "") + ": "
                    + LineErrorText(error));
    default: return Fail("cannot open: " + LineErrorText(error));
    }

    m_byteTime = std::chrono::duration_cast<std::chrono::microseconds>(bus::ByteTime(line.baud));
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
