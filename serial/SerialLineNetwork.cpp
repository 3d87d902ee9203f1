// The network side of CSerialLine: where a port name stands for a bus
// interface on the network, these take the place of the device's calls.
#include "serial/SerialLine.h"

#include "serial/NetworkPort.h"

using namespace win32;

CSerialLine::CSerialLine() = default;

LONG CSerialLine::ConnectNetwork(const std::string& url, int& fd)
{
    int systemError = 0;
    if (LONG result = CNetworkPort::Connect(url, m_connectTimeoutMs, m_network, systemError))
        return Fail(result, systemError);
    fd = m_network->Fd();
    return 0;
}

LONG CSerialLine::SetNetworkLine(const serial_line::LineParams& params)
{
    int systemError = 0;
    if (LONG result = m_network->SetLine(params, systemError))
        return Fail(result, systemError);
    return 0;
}

LONG CSerialLine::ReadNetwork(void* buffer, DWORD count, DWORD& done, DWORD timeoutMs)
{
    int systemError = 0;
    std::size_t received = 0;
    const bool waitAll = m_readMode == ReadModeWaitAll;
    const LONG result =
        m_network->Read(static_cast<std::uint8_t*>(buffer), count, done, waitAll, timeoutMs, received, systemError);
    // What the connection gave up was reported by a wait, or is news to the next.
    ForgetReadInput(static_cast<int>(received));
    return result ? Fail(result, systemError) : 0;
}

LONG CSerialLine::WriteNetwork(const void* data, DWORD count, DWORD& done, DWORD timeoutMs)
{
    int systemError = 0;
    if (LONG result = m_network->Write(static_cast<const std::uint8_t*>(data), count, done, timeoutMs, systemError))
        return Fail(result, systemError);
    return 0;
}
