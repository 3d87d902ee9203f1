#pragma once

#include <cstdint>

// The integer types, result codes and flag values of the serial layer's
// interface (see "Return codes and error handling" in SerialLine.h). They
// keep the Win32 names and numbers the serial classes and the form speak, so
// they live in their own namespace: code beyond those two has its own words.
namespace win32 {

using DWORD = std::uint32_t;
using LONG = std::int32_t;
using WPARAM = std::uint32_t;
using LPARAM = std::intptr_t;

// Result codes (0 is success).
constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_INVALID_FUNCTION = 1;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_PATH_NOT_FOUND = 3;
constexpr LONG ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr LONG ERROR_GEN_FAILURE = 31;
constexpr LONG ERROR_NOT_SUPPORTED = 50;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_BROKEN_PIPE = 109;
constexpr LONG ERROR_FILENAME_EXCED_RANGE = 206;
constexpr LONG ERROR_OPERATION_ABORTED = 995;
constexpr LONG ERROR_IO_PENDING = 997;
constexpr LONG ERROR_ALREADY_INITIALIZED = 1247;
constexpr LONG ERROR_TIMEOUT = 1460;
constexpr LONG E_INVALIDARG = static_cast<LONG>(0x80070057u);

constexpr DWORD INFINITE = 0xFFFFFFFFu;

// Port events (low word of a notification).
constexpr DWORD EV_RXCHAR = 0x0001;
constexpr DWORD EV_RXFLAG = 0x0002;
constexpr DWORD EV_TXEMPTY = 0x0004;
constexpr DWORD EV_CTS = 0x0008;
constexpr DWORD EV_DSR = 0x0010;
constexpr DWORD EV_RLSD = 0x0020;
constexpr DWORD EV_BREAK = 0x0040;
constexpr DWORD EV_ERR = 0x0080;
constexpr DWORD EV_RING = 0x0100;

// Line errors (high word of a notification).
constexpr DWORD CE_RXOVER = 0x0001;
constexpr DWORD CE_OVERRUN = 0x0002;
constexpr DWORD CE_RXPARITY = 0x0004;
constexpr DWORD CE_FRAME = 0x0008;
constexpr DWORD CE_BREAK = 0x0010;

// Parity and stop-bit values of Setup.
constexpr int NOPARITY = 0;
constexpr int ODDPARITY = 1;
constexpr int EVENPARITY = 2;
constexpr int MARKPARITY = 3;
constexpr int SPACEPARITY = 4;
constexpr int ONESTOPBIT = 0;
constexpr int ONE5STOPBITS = 1;
constexpr int TWOSTOPBITS = 2;

// A caller's overlapped record. Linux has no asynchronous completion for it,
// so every operation that is given one refuses it (ERROR_INVALID_FUNCTION);
// the type exists so that the operations keep their argument lists.
struct OVERLAPPED {
    void* hEvent = nullptr;
};

} // namespace win32
