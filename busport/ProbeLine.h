#pragma once

#include "bus/LineError.h"

#include <string>

// Whether a device or network interface can be opened at this moment, for
// both programs.
namespace busport {

// What keeps `device` from being opened now: LineError{} when it is free.
// A device is tried with an exclusive open, released at once. A network
// interface is connected to as the programs connect, with a short time-out,
// so its failure reads in a network line's words (OpenErrorText).
bus::LineError ProbeLine(const std::string& device);

} // namespace busport
