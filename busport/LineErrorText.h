#pragma once

#include "bus/LineError.h"

#include <string>

// Line failures in words, for both programs: the command line's error lines
// and the window's status tooltip.
namespace busport {

// A line failure in words ("no such device", "timed out", ...); the
// system's own text where this layer has no words of its own.
std::string LineErrorText(const bus::LineError& error);

// Why opening a port failed, in words. For a port that names a network
// interface (directly or through the "Ports" map) it speaks of addresses and
// connections: what the URL lacks, why nothing answered, a server that
// turned the program away. Otherwise "cannot open: " and LineErrorText.
std::string OpenErrorText(const std::string& portName, const bus::LineError& error);

} // namespace busport
