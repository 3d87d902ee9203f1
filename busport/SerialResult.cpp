#include "busport/SerialResult.h"

#include <cerrno>

using namespace win32;

namespace busport {
namespace {

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

} // namespace busport
