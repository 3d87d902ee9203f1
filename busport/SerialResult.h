#pragma once

#include "bus/LineError.h"
#include "serial/SerialTypes.h"

#include <system_error>

namespace busport {

// A result of the serial layer in the bus layer's words, with its errno: the
// one place where the serial line's codes become bus::LineError.
bus::LineError LineErrorOf(win32::LONG code, std::error_code system);

} // namespace busport
