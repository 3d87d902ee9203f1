#include "serial/SerialNetworkLine.h"

#include "serial/ErrnoMap.h"
#include "serial/LineControl.h"

#include <cerrno>

using namespace win32;

LONG CNetworkLine::Open(const NetworkAddress& address, DWORD timeoutMs, std::unique_ptr<ISerialBackend>& backend,
                        int& systemError)
{
    std::unique_ptr<CNetworkPort> port;
    if (LONG result = CNetworkPort::Connect(address, timeoutMs, port, systemError))
        return result;
    const int wakeEvent = NewWakeEvent();
    if (wakeEvent < 0) {
        systemError = errno;
        return Win32FromErrno(systemError);
    }
    auto line = std::unique_ptr<CNetworkLine>(new CNetworkLine(std::move(port), wakeEvent));
    line->StartCounting();
    backend = std::move(line);
    return 0;
}

CNetworkLine::CNetworkLine(std::unique_ptr<CNetworkPort> port, int wakeEvent)
    : CPollBackend(port->Fd(), wakeEvent), m_port(std::move(port))
{
}

LONG CNetworkLine::ReadLine(serial_line::LineParams& params, int& /*systemError*/)
{
    params = m_port->Line();
    return 0;
}

LONG CNetworkLine::SetFormat(const serial_line::LineParams& /*before*/, const serial_line::LineParams& wanted,
                             int& systemError)
{
    return m_port->SetLine(wanted, systemError);
}

LONG CNetworkLine::SetFlowControl(const serial_line::LineParams& /*before*/, const serial_line::LineParams& wanted,
                                  int& systemError)
{
    return m_port->SetLine(wanted, systemError);
}

LONG CNetworkLine::Read(void* buffer, DWORD count, DWORD& done, DWORD timeoutMs, int& systemError)
{
    std::size_t received = 0;
    const LONG result = m_port->Read(static_cast<std::uint8_t*>(buffer), count, done, WaitAllMode(), timeoutMs,
                                     received, systemError);
    // What the connection gave up was reported by a wait, or is news to the next.
    ForgetReadInput(static_cast<int>(received));
    return result;
}

LONG CNetworkLine::Write(const void* data, DWORD count, DWORD& done, DWORD timeoutMs, int& systemError)
{
    return m_port->Write(static_cast<const std::uint8_t*>(data), count, done, timeoutMs, systemError);
}

int CNetworkLine::InputWaiting()
{
    int waiting = 0;
    return serial_line::BytesWaiting(Fd(), waiting) == 0 ? waiting : 0;
}

int CNetworkLine::ReadCounters(LineCounters& counters)
{
    return m_port->ReadLineCounters(counters);
}
