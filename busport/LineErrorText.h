#pragma once

#include "bus/LineError.h"

#include <string>

// Line failures in words, for both programs: the command line's error lines
// and the window's status tooltip.
namespace busport {

// What went wrong on a line, in a user's words, with what to do about it
// where that is plain: "permission denied: add yourself to the dialout
// group", "in use by another program", "not a serial device". A fault of no
// kind of its own gives the system's text.
std::string LineErrorText(const bus::LineError& error);

// Why opening a port failed, in words. `port` is what was opened, the
// device path or URL a port name stood for; it is not looked up again. For a
// network interface it speaks of addresses and connections: what the URL
// lacks, why nothing answered, a server that turned the program away.
// Otherwise "cannot open: " and LineErrorText.
std::string OpenErrorText(const std::string& port, const bus::LineError& error);

// Why a port that was open failed, in words: LineErrorText, except that a
// network interface's server that turned the program away says so (a plain
// stream's server is only found to have done so at the first read).
std::string FailureText(const std::string& port, const bus::LineError& error);

} // namespace busport
