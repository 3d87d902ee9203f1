#include "busport/BusPort.h"

#include "bus/SerialEvent.h"
#include "serial/ErrnoMap.h"
#include "serial/ProbePort.h"

#include <cerrno>

using namespace win32;

namespace busport {
namespace {

// The framer's event codes are the line's event bits.
static_assert(bus::kEventReceivedData == EV_RXCHAR && bus::kEventLineError == EV_ERR);

int HandshakeOf(Flow flow)
{
    return flow == Flow::RtsCts ? CSerialLine::HandshakeRtsDtr : CSerialLine::HandshakeNone;
}

bus::LineError AccessDeniedError(std::error_code system)
{
    switch (system.value()) {
    case EACCES:
    case EPERM:
    case EROFS: return {bus::LineFault::PermissionDenied, system};
    case EISDIR: return {bus::LineFault::NotSerial, system};
    default: return {bus::LineFault::Busy, system}; // the lock is held elsewhere
    }
}

} // namespace

bus::LineError LineErrorOf(LONG code, std::error_code system)
{
    switch (code) {
    case ERROR_SUCCESS: return {};
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILENAME_EXCED_RANGE: return {bus::LineFault::NoDevice, system};
    case ERROR_ACCESS_DENIED: return AccessDeniedError(system);
    case ERROR_INVALID_FUNCTION: return {bus::LineFault::NotSerial, system};
    case ERROR_INVALID_PARAMETER:
    case ERROR_NOT_SUPPORTED: return {bus::LineFault::SettingsRefused, system};
    case ERROR_GEN_FAILURE:
    case ERROR_BROKEN_PIPE: return {bus::LineFault::DeviceGone, system};
    case ERROR_TIMEOUT: return {bus::LineFault::TimedOut, system};
    case ERROR_INVALID_HANDLE: return {bus::LineFault::NotOpen, system};
    default: return {bus::LineFault::Other, system};
    }
}

bus::LineError ProbeLine(const std::string& device)
{
    std::error_code reason;
    if (ProbePort(device.c_str(), &reason) == PortFree)
        return {};
    return LineErrorOf(Win32FromErrno(reason.value()), reason);
}

bus::LineError CBusPort::Open(const std::string& device, const LineSettings& settings, const Opener& open)
{
    if (m_line.IsOpen())
        m_line.Close();
    m_framer.Reset();
    m_failure = {};
    m_bytesReceived = 0;
    m_bytesSent = 0;
    const LONG opened = open ? open(device.c_str()) : m_line.Open(device.c_str(), kQueueSize, kQueueSize, true);
    if (opened != 0)
        return LineErrorOf(opened, m_line.GetLastSystemError());
    // Each step runs only when the ones before it succeeded.
    LONG result = m_line.Setup(settings.baud, 8, NOPARITY, ONESTOPBIT);
    if (result == 0)
        result = m_line.SetMask(EV_RXCHAR | EV_ERR);
    if (result == 0)
        result = m_line.SetHandshake(HandshakeOf(settings.flow));
    if (result == 0)
        result = m_line.SetReadTimeoutMode(CSerialLine::ReadModeImmediate);
    if (result != 0) {
        const bus::LineError error = LineErrorOf(result, m_line.GetLastSystemError());
        m_line.Close();
        return error;
    }
    m_framer.ClearReplySeen();
    return {};
}

bus::LineError CBusPort::Record(LONG code)
{
    const bus::LineError error = LineErrorOf(code, m_line.GetLastSystemError());
    if (error && !m_failure)
        m_failure = error;
    return error;
}

void CBusPort::OnSerialEvent(std::uint32_t eventWord)
{
    bool filled = false;
    ReadAndFrame(eventWord, filled);
}

bus::LineError CBusPort::ReadAndFrame(std::uint32_t eventWord, bool& filled)
{
    bus::LineError result;
    filled = false;
    bus::OnSerialEvent(m_framer, eventWord, [&](std::span<std::uint8_t> buffer) -> std::size_t {
        DWORD count = 0;
        result = Record(m_line.Read(buffer.data(), DWORD(buffer.size()), &count, nullptr, INFINITE));
        if (result)
            return 0;
        m_bytesReceived += count;
        filled = count == buffer.size();
        return count;
    });
    return result;
}

bus::LineError CBusPort::WaitForEvent(std::chrono::milliseconds timeout)
{
    const LONG waited = m_line.WaitForPortEvent(nullptr, DWORD(timeout.count()));
    if (waited == ERROR_TIMEOUT)
        return {};
    if (waited != 0)
        return Record(waited);
    // A wait reports new bytes only: what one read left behind is read now.
    const std::uint32_t events = m_line.GetPendingEvents();
    bool filled = true;
    bus::LineError result;
    while (filled && !result)
        result = ReadAndFrame(events, filled);
    return result;
}

bus::LineError CBusPort::Send(const bus::GroupMessageFields& fields, const bus::BusPause& pause)
{
    const bus::BusWriter write = [this](std::span<const std::uint8_t> data, std::uint32_t& written) {
        DWORD count = 0;
        const LONG result = m_line.Write(data.data(), DWORD(data.size()), &count, nullptr, DWORD(m_writeTimeout.count()));
        written = count;
        m_bytesSent += count;
        return Record(result);
    };
    const bus::LineError sent = bus::SendGroupMessage(m_framer, fields, write, pause);
    if (sent && !m_failure)
        m_failure = sent; // a short write
    return sent;
}

} // namespace busport
