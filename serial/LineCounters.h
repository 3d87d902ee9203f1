#pragma once

#include "serial/SerialTypes.h"

#include <functional>

// The driver's running counts of line errors and breaks (TIOCGICOUNT). Line
// errors are reported as differences between two readings. Pseudo-terminals
// and some USB adapters keep no counters: their reader answers ENOTTY (or
// EINVAL), which the layer treats as "no line errors ever".
struct LineCounters {
    long frame = 0;
    long parity = 0;
    long overrun = 0;  // UART overruns and the driver's buffer overruns together
    long brk = 0;
};

// Reads the counters of a descriptor; returns 0 or an errno value. The serial
// objects read through a replaceable function of this type so that tests can
// feed line errors although pseudo-terminals have none.
using LineCounterReader = std::function<int(int fd, LineCounters& counters)>;

// The driver's counters (POSIX: LineCountersPosix.cpp).
int ReadDriverLineCounters(int fd, LineCounters& counters);

// CE_ bits for what grew between two readings.
win32::DWORD LineErrorsBetween(const LineCounters& before, const LineCounters& after);

// EV_ERR and EV_BREAK for what grew between two readings.
win32::DWORD LineEventsBetween(const LineCounters& before, const LineCounters& after);
