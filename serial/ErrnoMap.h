#pragma once

#include "serial/SerialTypes.h"

// The one translation from errno values to the layer's Win32 result codes.
// EAGAIN/EWOULDBLOCK only reach it from a refused lock, so they mean "held
// elsewhere" (ERROR_ACCESS_DENIED). Unknown values become ERROR_GEN_FAILURE.
win32::LONG Win32FromErrno(int error);
