#include "cli/BusSession.h"

#include "bus/BusTransmit.h"
#include "bus/SerialEvent.h"
#include "cli/ExitCode.h"
#include "cli/PortCheck.h"

#include <algorithm>

namespace cli {
namespace {

// An interrupt is noticed at least this often while nothing arrives.
constexpr std::chrono::milliseconds kWaitSlice {50};

} // namespace

std::string SerialErrorText(LONG code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return "no such device";
    case ERROR_ACCESS_DENIED: return "access denied";
    case ERROR_INVALID_PARAMETER: return "the device refused the line settings";
    case ERROR_INVALID_FUNCTION: return "not a serial device";
    case ERROR_GEN_FAILURE: return "the device stopped working (unplugged?)";
    case ERROR_TIMEOUT: return "timed out";
    default: return "error " + std::to_string(code);
    }
}

int CBusSession::Fail(const std::string& what, LONG code)
{
    m_context.err << "brenvik-cli: " << m_label << ": " << what;
    if (code != 0)
        m_context.err << ": " << SerialErrorText(code);
    m_context.err << '\n';
    m_line.Close();
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
        return Fail("no device is mapped to this port (see brenvik-cli ports)", 0);

    if (const LONG opened = m_line.Open(m_path.c_str(), 512, 512, true); opened != 0) {
        if (opened == ERROR_ACCESS_DENIED) {
            const PortCondition condition = InspectPort(m_path);
            if (condition.state == PortState::PermissionDenied)
                return Fail("permission denied; to fix: " + condition.fix, 0);
            return Fail("busy: another program holds the port", 0);
        }
        return Fail("cannot open", opened);
    }
    if (const LONG setup = m_line.Setup(static_cast<DWORD>(options.baud), 8, NOPARITY, ONESTOPBIT))
        return Fail("cannot set " + std::to_string(options.baud) + " baud 8N1", setup);
    const int handshake = options.flow == Flow::RtsCts ? CSerialLine::HandshakeRtsDtr : CSerialLine::HandshakeNone;
    if (const LONG flow = m_line.SetHandshake(handshake))
        return Fail("cannot set the flow control", flow);
    if (const LONG mask = m_line.SetMask(bus::kEventReceivedData | bus::kEventLineError))
        return Fail("cannot watch the port", mask);

    m_byteTime = std::chrono::microseconds(10'000'000 / options.baud); // 8N1: ten bits a byte
    m_framer.Reset();
    m_framer.m_bReplySeen = false;
    m_framer.SetMessageObserver([this](std::span<const std::uint8_t> message) {
        ++m_goodMessages;
        if (m_observer)
            m_observer(message);
    });
    m_lastReceived = Clock::now();
    return ExitOk;
}

bool CBusSession::Send(const bus::GroupMessageFields& fields)
{
    const bus::BusWriter write = [this](std::span<const std::uint8_t> data, std::uint32_t& written) {
        DWORD count = 0;
        const LONG result = m_line.Write(data.data(), static_cast<DWORD>(data.size()), &count, nullptr,
                                         bus::kWriteBusTimeoutMs);
        written = count;
        if (result != 0)
            m_failure = result;
        return result;
    };
    const bus::BusPause pause = [this](std::chrono::milliseconds length) {
        PumpUntil(Clock::now() + length, [this] { return !m_framer.m_bAwaitingEcho; });
    };
    if (bus::SendGroupMessage(m_framer, fields, write, pause) == 1)
        return true;
    if (m_failure == 0)
        m_failure = ERROR_TIMEOUT; // a short write
    return false;
}

void CBusSession::AwaitEcho()
{
    bus::WaitForEcho(m_framer, [this](std::chrono::milliseconds length) {
        PumpUntil(Clock::now() + length, [this] { return !m_framer.m_bAwaitingEcho; });
    });
}

bool CBusSession::PumpUntil(Clock::time_point deadline, const std::function<bool()>& done)
{
    const bus::BusReader read = [this](std::span<std::uint8_t> buffer) -> std::size_t {
        DWORD count = 0;
        if (const LONG result = m_line.Read(buffer.data(), static_cast<DWORD>(buffer.size()), &count)) {
            m_failure = result;
            return 0;
        }
        if (count > 0)
            m_lastReceived = Clock::now();
        return count;
    };
    for (;;) {
        if (done())
            return true;
        const auto now = Clock::now();
        if (now >= deadline || m_failure != 0 || m_context.Stopped())
            return false;
        const auto slice = std::min(std::chrono::ceil<std::chrono::milliseconds>(deadline - now), kWaitSlice);
        const LONG waited = m_line.WaitForPortEvent(nullptr, static_cast<DWORD>(slice.count()));
        if (waited == 0)
            bus::OnSerialEvent(m_framer, m_line.GetPendingEvents(), read);
        else if (waited != ERROR_TIMEOUT)
            m_failure = waited;
    }
}

int CBusSession::ReportPortFailure()
{
    m_context.err << "brenvik-cli: " << m_label << ": " << SerialErrorText(m_failure) << '\n';
    return ExitPortError;
}

} // namespace cli
