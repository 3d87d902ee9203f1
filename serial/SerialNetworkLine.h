#pragma once

#include "serial/NetworkPort.h"
#include "serial/PollBackend.h"

#include <memory>

// A bus interface on the network behind the serial line's calls and codes
// (NetworkPort.h): the socket in place of the device, a lost connection as a
// vanished device. Over RFC 2217 the line's settings wait for the server to
// confirm them; over a plain stream the server's side sets the line.
class CNetworkLine final : public CPollBackend {
public:
    // Connects to `address` within timeoutMs.
    static win32::LONG Open(const NetworkAddress& address, win32::DWORD timeoutMs, std::unique_ptr<ISerialBackend>& backend,
                            int& systemError);

    win32::LONG ReadLine(serial_line::LineParams& params, int& systemError) override;
    win32::LONG SetFormat(const serial_line::LineParams& before, const serial_line::LineParams& wanted,
                          int& systemError) override;
    win32::LONG SetFlowControl(const serial_line::LineParams& before, const serial_line::LineParams& wanted,
                               int& systemError) override;
    win32::LONG Read(void* buffer, win32::DWORD count, win32::DWORD& done, win32::DWORD timeoutMs,
                     int& systemError) override;
    win32::LONG Write(const void* data, win32::DWORD count, win32::DWORD& done, win32::DWORD timeoutMs,
                      int& systemError) override;

protected:
    int InputWaiting() override;
    int ReadCounters(LineCounters& counters) override;
    bool HasLineCounters() override { return true; }
    win32::LONG PeerClosed(int& systemError) override;

private:
    CNetworkLine(std::unique_ptr<CNetworkPort> port, std::unique_ptr<net::CWakeSignal> wake);

    std::unique_ptr<CNetworkPort> m_port;
};
