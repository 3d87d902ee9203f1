#pragma once

#include <cstdint>

// The integer types, result codes and flag values of the serial layer's
// interface (see "Return codes and error handling" in SerialLine.h). They
// keep the Win32 names and numbers the serial classes and the form speak, so
// they live in their own namespace: code beyond those two has its own words.
//
// On Windows they are the system's own: the types are <windows.h>'s, and
// each constant, which <windows.h> defines as a macro of the same value
// (checked here), becomes a constant of the namespace in the macro's place,
// so that win32::INFINITE means the same on both systems.

// Type, name, value.
#define BRENVIK_WIN32_CONSTANTS(X) \
    X(LONG, ERROR_SUCCESS, 0) \
    X(LONG, ERROR_INVALID_FUNCTION, 1) \
    X(LONG, ERROR_FILE_NOT_FOUND, 2) \
    X(LONG, ERROR_PATH_NOT_FOUND, 3) \
    X(LONG, ERROR_TOO_MANY_OPEN_FILES, 4) \
    X(LONG, ERROR_ACCESS_DENIED, 5) \
    X(LONG, ERROR_INVALID_HANDLE, 6) \
    X(LONG, ERROR_NOT_ENOUGH_MEMORY, 8) \
    X(LONG, ERROR_GEN_FAILURE, 31) \
    X(LONG, ERROR_NOT_SUPPORTED, 50) \
    X(LONG, ERROR_INVALID_PARAMETER, 87) \
    X(LONG, ERROR_BROKEN_PIPE, 109) \
    X(LONG, ERROR_FILENAME_EXCED_RANGE, 206) \
    X(LONG, ERROR_OPERATION_ABORTED, 995) \
    X(LONG, ERROR_IO_PENDING, 997) \
    X(LONG, ERROR_ALREADY_INITIALIZED, 1247) \
    X(LONG, ERROR_TIMEOUT, 1460) \
    X(LONG, E_INVALIDARG, static_cast<LONG>(0x80070057u)) \
    X(DWORD, INFINITE, 0xFFFFFFFFu) \
    X(DWORD, EV_RXCHAR, 0x0001) \
    X(DWORD, EV_RXFLAG, 0x0002) \
    X(DWORD, EV_TXEMPTY, 0x0004) \
    X(DWORD, EV_CTS, 0x0008) \
    X(DWORD, EV_DSR, 0x0010) \
    X(DWORD, EV_RLSD, 0x0020) \
    X(DWORD, EV_BREAK, 0x0040) \
    X(DWORD, EV_ERR, 0x0080) \
    X(DWORD, EV_RING, 0x0100) \
    X(DWORD, CE_RXOVER, 0x0001) \
    X(DWORD, CE_OVERRUN, 0x0002) \
    X(DWORD, CE_RXPARITY, 0x0004) \
    X(DWORD, CE_FRAME, 0x0008) \
    X(DWORD, CE_BREAK, 0x0010) \
    X(int, NOPARITY, 0) \
    X(int, ODDPARITY, 1) \
    X(int, EVENPARITY, 2) \
    X(int, MARKPARITY, 3) \
    X(int, SPACEPARITY, 4) \
    X(int, ONESTOPBIT, 0) \
    X(int, ONE5STOPBITS, 1) \
    X(int, TWOSTOPBITS, 2)

#ifdef _WIN32

#include "serial/WindowsHeader.h"

namespace win32 {
using ::DWORD;
using ::LONG;
using ::LPARAM;
using ::OVERLAPPED;
using ::WPARAM;
}  // namespace win32

#define BRENVIK_SAME_AS_WINDOWS(type, name, value) \
    static_assert(static_cast<long long>(name) == static_cast<long long>(value), #name);
BRENVIK_WIN32_CONSTANTS(BRENVIK_SAME_AS_WINDOWS)
#undef BRENVIK_SAME_AS_WINDOWS

#undef ERROR_SUCCESS
#undef ERROR_INVALID_FUNCTION
#undef ERROR_FILE_NOT_FOUND
#undef ERROR_PATH_NOT_FOUND
#undef ERROR_TOO_MANY_OPEN_FILES
#undef ERROR_ACCESS_DENIED
#undef ERROR_INVALID_HANDLE
#undef ERROR_NOT_ENOUGH_MEMORY
#undef ERROR_GEN_FAILURE
#undef ERROR_NOT_SUPPORTED
#undef ERROR_INVALID_PARAMETER
#undef ERROR_BROKEN_PIPE
#undef ERROR_FILENAME_EXCED_RANGE
#undef ERROR_OPERATION_ABORTED
#undef ERROR_IO_PENDING
#undef ERROR_ALREADY_INITIALIZED
#undef ERROR_TIMEOUT
#undef E_INVALIDARG
#undef INFINITE
#undef EV_RXCHAR
#undef EV_RXFLAG
#undef EV_TXEMPTY
#undef EV_CTS
#undef EV_DSR
#undef EV_RLSD
#undef EV_BREAK
#undef EV_ERR
#undef EV_RING
#undef CE_RXOVER
#undef CE_OVERRUN
#undef CE_RXPARITY
#undef CE_FRAME
#undef CE_BREAK
#undef NOPARITY
#undef ODDPARITY
#undef EVENPARITY
#undef MARKPARITY
#undef SPACEPARITY
#undef ONESTOPBIT
#undef ONE5STOPBITS
#undef TWOSTOPBITS

#else

namespace win32 {

using DWORD = std::uint32_t;
using LONG = std::int32_t;
using WPARAM = std::uint32_t;
using LPARAM = std::intptr_t;

// A caller's overlapped record. This layer has no asynchronous completion
// for it, so every operation that is given one refuses it
// (ERROR_INVALID_FUNCTION); the type exists so that the operations keep
// their argument lists.
struct OVERLAPPED {
    void* hEvent = nullptr;
};

}  // namespace win32

#endif

namespace win32 {
#define BRENVIK_DEFINE_CONSTANT(type, name, value) constexpr type name = value;
BRENVIK_WIN32_CONSTANTS(BRENVIK_DEFINE_CONSTANT)
#undef BRENVIK_DEFINE_CONSTANT
}  // namespace win32

#undef BRENVIK_WIN32_CONSTANTS
