#pragma once

#include "serial/DeviceLock.h"
#include "serial/LineControl.h"
#include "serial/LineCounters.h"
#include "serial/PollBackend.h"

#include <memory>

// A device of the host's serial driver (a tty), set through termios2 so that
// any speed can be asked for, and held exclusively: flock against every
// other descriptor, TIOCEXCL against other users' opens (cleared again when
// it closes). A port held by anyone, this process included, gives
// ERROR_ACCESS_DENIED; a missing one ERROR_FILE_NOT_FOUND. A hang-up (USB
// unplug, a pseudo-terminal's peer closed) is a vanished device:
// ERROR_GEN_FAILURE, after the bytes that came with it. With a lock folder,
// the device's UUCP lock there is honoured and held while the device is open
// (DeviceLock.h): a live owner's lock gives ERROR_ACCESS_DENIED with EBUSY.
class CPosixDevice final : public CPollBackend {
public:
    // Opens `path` exclusively in raw mode, with input left by earlier users
    // discarded. The driver calls and the counter reader are the line's, read
    // on every use (tests replace them). `lockFolder` empty: no lock.
    static win32::LONG Open(const std::string& path, const serial_line::LineDriver& driver, const LineCounterReader& counters,
                            const std::string& lockFolder, std::unique_ptr<ISerialBackend>& backend, int& systemError);
    ~CPosixDevice() override;

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
    bool HasLineCounters() override;

private:
    CPosixDevice(int fd, std::unique_ptr<net::CWakeSignal> wake, const serial_line::LineDriver& driver,
                 const LineCounterReader& counters);
    // Writes `wanted` and hands what the driver took to `finish`, which
    // gives ERROR_SUCCESS or a failure; any failure puts `before` back.
    template <typename Finish>
    win32::LONG Apply(const serial_line::LineParams& before, const serial_line::LineParams& wanted, Finish finish,
                      int& systemError);
    // After a write ran out of time: discards what the driver still holds
    // for output and gives how many of the call's `written` bytes left.
    win32::DWORD DiscardUnsentOutput(win32::DWORD written);

    const serial_line::LineDriver& m_driver;
    const LineCounterReader& m_counterReader;
    std::unique_ptr<device_lock::CDeviceLock> m_lock; // goes after the device is released
};
