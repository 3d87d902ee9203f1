#include "cli/BusSession.h"

#include "cli/ExitCode.h"
#include "cli/PortCheck.h"
#include "busport/LineErrorText.h"
#include "busport/ProbeLine.h"
#include "busreport/BusTraffic.h"
#include "serial/SerialLine.h"
#include "serial/NetworkAddress.h"
#ifndef _WIN32
#include "serial/DeviceWatch.h"

#include <poll.h>
#endif

#include <algorithm>

namespace cli {
namespace {

// An interrupt is noticed at least this often while nothing arrives.
constexpr std::chrono::milliseconds kWaitSlice {50};

} // namespace

int CBusSession::Fail(bus::LineFault fault, const std::string& what)
{
    m_port.Close();
    return Report({FaultKind(fault), m_label + ": " + what, ExitPortError});
}

int CBusSession::Report(Failure failure) const
{
    Json fields = {{"port", m_name}, {"device", m_path}};
    fields.update(failure.fields);
    failure.fields = std::move(fields);
    return cli::Report(m_context, m_json, failure);
}

bool CBusSession::NamePort(const CliOptions& options)
{
    const bool firstRun = !options.port && !m_context.environmentPort && !m_context.savedComPort;
    const std::string name = options.port ? *options.port
        : m_context.environmentPort      ? *m_context.environmentPort
                                         : "COM" + std::to_string(m_context.savedComPort.value_or(1));
    const std::optional<int> comNumber = ComNumberOf(name);
    m_name = comNumber ? "COM" + std::to_string(*comNumber) : name;
    m_path = m_context.PortPath(name).value_or("");
    m_label = comNumber ? "COM" + std::to_string(*comNumber) + " (" + (m_path.empty() ? "no device" : m_path) + ")"
                        : m_path;
    return firstRun;
}

int CBusSession::OpenWhenPresent(const CliOptions& options)
{
#ifdef _WIN32
    // Windows has no device watch here: an absent COM port is reported by the open.
    return Open(options);
#else
    NamePort(options);
    // A network interface has no device node to wait for: its open connects or fails.
    if (!m_path.empty() && !LooksLikeUrl(m_path) && !CDeviceWatch::Present(m_path)) {
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
#endif
}

int CBusSession::Open(const CliOptions& options)
{
    m_json = options.json;
    const bool firstRun = NamePort(options);
    const std::optional<int> comNumber = ComNumberOf(m_name);
    if (m_path.empty())
        return Fail(bus::LineFault::NoDevice, "no device is mapped to this port (see brenvik-cli ports)");
    const bool network = LooksLikeUrl(m_path);
    if (network && options.timeoutGiven)
        m_port.SetConnectTimeout(std::chrono::milliseconds(options.timeoutMs));

    // A COM port opens with its stored line; a device named by path with the bus's own.
    busport::StoredLine stored;
    if (comNumber && m_context.lineLookup)
        stored = m_context.lineLookup(*comNumber);
    if (!stored.warning.empty())
        m_context.err << "brenvik-cli: warning: " << stored.warning << '\n';
    const busport::LineSettings line = LineFor(options, stored.settings);

#ifndef _WIN32
    if (!network) {
        m_port.Line().SetLockFolder(m_context.lockFolder);
        if (const auto problem = busport::LockFolderProblem(m_context.lockFolder))
            m_context.err << "brenvik-cli: warning: no lock taken on " << busreport::Printable(m_path) << " (" << *problem
                          << "), so other programs do not see that brenvik-cli holds it\n";
    }
#endif
    const bus::LineError error = m_port.Open(m_path, line);
    if (error && network && error.fault != bus::LineFault::SettingsRefused)
        return Fail(error.fault, busport::OpenErrorText(m_path, error));
    switch (error.fault) {
    case bus::LineFault::None: break;
    case bus::LineFault::PermissionDenied: return Fail(error.fault, "permission denied; to fix: " + PermissionFix(m_path));
    case bus::LineFault::Busy:
        if (const auto owner = busport::LockOwner(m_context.lockFolder, m_path)) {
            m_port.Close();
            return Report({"busy", m_label + ": " + LineErrorText(error) + ": held by " + busport::LockOwnerText(*owner, m_context.lockFolder),
                           ExitPortError, {{"held_by", Json::array({{{"program", owner->program}, {"pid", owner->pid}}})}}});
        }
        return Fail(error.fault, LineErrorText(error));
    case bus::LineFault::SettingsRefused:
        return Fail(error.fault, "cannot set " + std::to_string(line.baud) + " baud 8N1"
                    + (line.flow == busport::Flow::RtsCts ? " with RTS/CTS" : "") + ": "
                    + LineErrorText(error));
    case bus::LineFault::NoDevice:
        if (firstRun)
            return Fail(error.fault, "no port has been chosen yet, and COM1's device " + m_path + " is not there; see the ports with "
                        "brenvik-cli ports, choose one with --port (COM3 or /dev/ttyUSB0), and keep it with "
                        "brenvik-cli ports --use PORT or BRENVIK_PORT=PORT");
        return Fail(error.fault, "cannot open: " + LineErrorText(error));
    default: return Fail(error.fault, "cannot open: " + LineErrorText(error));
    }

    m_byteTime = std::chrono::duration_cast<std::chrono::microseconds>(bus::ByteTime(line.baud));
    m_port.SetMessageObserver([this](std::span<const std::uint8_t> message, bool echo) {
        ++m_goodMessages;
        if (echo)
            m_lastEchoAt = Now();
        if (m_observer)
            m_observer(message, echo);
    });
    m_lastReceived = Now();
    return ExitOk;
}

void CBusSession::WarnOnceIfEchoMissing()
{
    if (m_warnedNoEcho || !m_port.EchoesMissing())
        return;
    m_warnedNoEcho = true;
    m_context.err << "brenvik-cli: warning: the bus did not echo what was sent (an interface that does not echo, "
                     "or a line fault)\n";
}

busport::Pause CBusSession::EchoPause()
{
    return [this](std::chrono::milliseconds length) {
        PumpUntil(Now() + length, [this] { return !m_port.AwaitingEcho(); });
    };
}

busport::CBusPort::WritesSent CBusSession::SendWrites(const bus::RadioSettings& settings)
{
    return m_port.SendWrites(settings, EchoPause(), [this] { return !Interrupted(); });
}

bool CBusSession::PumpUntil(Clock::time_point deadline, const std::function<bool()>& done)
{
    for (;;) {
        if (done())
            return true;
        const auto now = Now();
        if (now >= deadline || m_port.Failure() || m_context.Stopped())
            return false;
        const auto slice = std::min(std::chrono::ceil<std::chrono::milliseconds>(deadline - now), kWaitSlice);
        const std::uint64_t before = m_port.BytesReceived();
        m_context.clock->Wait(slice, {m_port.BytesSent(), before},
                              [this](std::chrono::milliseconds timeout) { m_port.WaitForEvent(timeout); });
        if (m_port.BytesReceived() != before)
            m_lastReceived = Now();
    }
}

int CBusSession::ReportPortFailure(const Json& fields)
{
    const bus::LineError& failure = m_port.Failure();
    return Report({FaultKind(failure.fault), FailureLine(failure), ExitPortError, fields});
}

std::string CBusSession::FailureLine(const bus::LineError& error) const
{
    return m_label + ": " + busport::FailureText(m_path, error);
}

} // namespace cli
