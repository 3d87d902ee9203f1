#pragma once

#include "bus/LineError.h"

#include <string>

namespace busport {

// What went wrong on a line, in a user's words, with what to do about it
// where that is plain: "permission denied: add yourself to the dialout
// group", "in use by another program", "not a serial device". A fault of no
// kind of its own gives the system's text.
std::string LineErrorText(const bus::LineError& error);

} // namespace busport
