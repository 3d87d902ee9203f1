#include "serial/SerialDevicePosix.h"

#include "serial/Deadline.h"
#include "serial/ErrnoMap.h"
#include "serial/PortDevice.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

using namespace win32;

namespace {

bool Unsupported(int error)
{
    return error == ENOTTY || error == EINVAL;
}

}  // namespace

LONG CPosixDevice::Open(const std::string& path, const serial_line::LineDriver& driver, const LineCounterReader& counters,
                        const std::string& lockFolder, std::unique_ptr<ISerialBackend>& backend, int& systemError)
{
    // The lock first: a device another program holds is not even opened.
    std::unique_ptr<device_lock::CDeviceLock> lock;
    int lockError = 0;
    if (!lockFolder.empty()
        && device_lock::CDeviceLock::Take(lockFolder, path, lock, lockError) == device_lock::CDeviceLock::Outcome::Held) {
        systemError = EBUSY;
        return ERROR_ACCESS_DENIED;
    }
    int fd = -1;
    int err = serial_device::OpenExclusive(path, true, fd);
    if (err == 0 && (err = serial_line::MakeRaw(fd)) != 0)
        serial_device::Release(fd, true);
    if (err != 0) {
        systemError = err;
        return Win32FromErrno(err);
    }
    // A reopened device may still hold bytes from before; they belong to no one.
    serial_line::FlushInput(fd);
    std::unique_ptr<net::CWakeSignal> wake = net::CWakeSignal::Create(systemError);
    if (!wake) {
        serial_device::Release(fd, true);
        return Win32FromErrno(systemError);
    }
    auto device = std::unique_ptr<CPosixDevice>(new CPosixDevice(fd, std::move(wake), driver, counters));
    device->StartCounting();
    device->m_lock = std::move(lock);
    backend = std::move(device);
    return 0;
}

CPosixDevice::CPosixDevice(int fd, std::unique_ptr<net::CWakeSignal> wake, const serial_line::LineDriver& driver,
                           const LineCounterReader& counters)
    : CPollBackend(fd, std::move(wake)), m_driver(driver), m_counterReader(counters)
{
}

CPosixDevice::~CPosixDevice()
{
    serial_device::Release(Fd(), true);
}

LONG CPosixDevice::ReadLine(serial_line::LineParams& params, int& systemError)
{
    if (int err = m_driver.readParams(Fd(), params)) {
        systemError = err;
        return Win32FromErrno(err);
    }
    return 0;
}

template <typename Finish>
LONG CPosixDevice::Apply(const serial_line::LineParams& before, const serial_line::LineParams& wanted, Finish finish,
                         int& systemError)
{
    serial_line::LineParams taken;
    int err = m_driver.writeParams(Fd(), wanted);
    if (err == 0)
        err = m_driver.readParams(Fd(), taken);
    if (err != 0)
        systemError = err;
    LONG result = err ? Win32FromErrno(err) : finish(taken);
    if (result != ERROR_SUCCESS)
        m_driver.writeParams(Fd(), before);
    return result;
}

LONG CPosixDevice::SetFormat(const serial_line::LineParams& before, const serial_line::LineParams& wanted,
                             int& systemError)
{
    // Some drivers (pseudo-terminals among them) silently keep 8 data bits
    // and no parity, and adapters round the rate to a table of their own.
    return Apply(before, wanted, [&](const serial_line::LineParams& taken) {
        return serial_line::RunsAsAsked(taken, wanted) ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
    }, systemError);
}

LONG CPosixDevice::SetFlowControl(const serial_line::LineParams& before, const serial_line::LineParams& wanted,
                                  int& systemError)
{
    // No handshake raises RTS and lowers DTR; hardware handshake starts with
    // both raised; XON/XOFF lowers both.
    const bool xonXoff = wanted.xonXoffOut && wanted.xonXoffIn;
    const bool rts = !xonXoff;
    const bool dtr = wanted.rtsCtsFlow;
    return Apply(before, wanted, [&](const serial_line::LineParams&) {
        const int err = m_driver.setModemLines(Fd(), rts, dtr);
        systemError = err;
        return err ? Win32FromErrno(err) : ERROR_SUCCESS;
    }, systemError);
}

LONG CPosixDevice::Read(void* buffer, DWORD count, DWORD& done, DWORD timeoutMs, int& systemError)
{
    // Immediate mode takes what is buffered and returns; wait-all mode waits
    // for the full count within the time-out. Bytes taken before a time-out
    // are in the buffer and counted.
    auto* bytes = static_cast<unsigned char*>(buffer);
    const Deadline deadline(timeoutMs);
    LONG result = 0;
    while (done < count && result == 0) {
        const ssize_t n = ::read(Fd(), bytes + done, count - done);
        if (n > 0) {
            done += static_cast<DWORD>(n);
            if (!WaitAllMode())
                break;
        } else if (n == 0) {
            result = ERROR_GEN_FAILURE;  // hung up: the device is gone
        } else if (errno == EAGAIN) {
            if (!WaitAllMode())
                break;
            result = WaitReady(Direction::In, deadline.RemainingMs(), systemError);
        } else if (errno != EINTR) {
            systemError = errno;
            result = Win32FromErrno(systemError);
        }
    }
    ForgetReadInput(static_cast<int>(done));
    return result;
}

LONG CPosixDevice::Write(const void* data, DWORD count, DWORD& done, DWORD timeoutMs, int& systemError)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    const Deadline deadline(timeoutMs);
    while (done < count) {
        const ssize_t n = ::write(Fd(), bytes + done, count - done);
        if (n > 0) {
            done += static_cast<DWORD>(n);
        } else if (n < 0 && errno == EAGAIN) {
            if (LONG result = WaitReady(Direction::Out, deadline.RemainingMs(), systemError)) {
                if (result == ERROR_TIMEOUT)
                    done = DiscardUnsentOutput(done);
                return result;
            }
        } else if (n < 0 && errno != EINTR) {
            systemError = errno;
            return Win32FromErrno(systemError);
        }
    }
    return 0;
}

DWORD CPosixDevice::DiscardUnsentOutput(DWORD written)
{
    int queued = 0;
    if (m_driver.outputQueued(Fd(), queued) != 0)
        queued = 0;
    m_driver.flushOutput(Fd());
    // The queue may still hold the tail of an earlier write, which this
    // call's count never included.
    return written - std::min<DWORD>(written, DWORD(std::max(queued, 0)));
}

int CPosixDevice::InputWaiting()
{
    int waiting = 0;
    if (m_driver.inputWaiting(Fd(), waiting) != 0)
        return 0;
    return waiting;
}

int CPosixDevice::ReadCounters(LineCounters& counters)
{
    const int err = m_counterReader ? m_counterReader(Fd(), counters) : ENOTTY;
    if (Unsupported(err)) {
        counters = {};
        return 0;
    }
    return err;
}

bool CPosixDevice::HasLineCounters()
{
    LineCounters counters;
    return m_counterReader && m_counterReader(Fd(), counters) == 0;
}
