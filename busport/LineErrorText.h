#pragma once

#include "bus/LineError.h"

#include <string>

namespace busport {

// A line failure in words ("no such device", "timed out", ...); the
// system's own text where this layer has no words of its own.
std::string LineErrorText(const bus::LineError& error);

} // namespace busport
