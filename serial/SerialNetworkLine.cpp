#include "serial/SerialNetworkLine.h"

using namespace win32;

LONG CNetworkLine::Open(const NetworkAddress& address, DWORD timeoutMs, std::unique_ptr<ISerialBackend>& backend,
                        int& systemError)
{
    std::unique_ptr<CNetworkPort> port;
    if (LONG result = CNetworkPort::Connect(address, timeoutMs, port, systemError))
        return result;
    std::unique_ptr<net::CWakeSignal> wake = net::CWakeSignal::Create(systemError);
    if (!wake)
        return net::ResultOf(systemError);
    auto line = std::unique_ptr<CNetworkLine>(new CNetworkLine(std::move(port), std::move(wake)));
    line->StartCounting();
    backend = std::move(line);
    return 0;
}

CNetworkLine::CNetworkLine(std::unique_ptr<CNetworkPort> port, std::unique_ptr<net::CWakeSignal> wake)
    : CPollBackend(port->Fd(), std::move(wake)), m_port(std::move(port))
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
    return net::BytesWaiting(Fd());
}

LONG CNetworkLine::PeerClosed(int& systemError)
{
    return m_port->PeerClosed(systemError);
}

int CNetworkLine::ReadCounters(LineCounters& counters)
{
    return m_port->ReadLineCounters(counters);
}
