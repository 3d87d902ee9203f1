#pragma once

#include "serial/LineParams.h"

#include <functional>

// The kernel's line settings of a tty descriptor, read and written with
// termios2 so that any baud rate (16457 included) can be set exactly. The
// kernel header that defines termios2 cannot share a translation unit with
// <termios.h> or <pty.h>, so it stays alone in LineControl.cpp and nothing
// here mentions a termios type. Every function returns 0 or an errno value.
namespace serial_line {

int ReadLineParams(int fd, LineParams& params);

// Refuses values the line cannot take (data bits outside 5..8, parity outside
// 0..4, 1.5 stop bits, baud 0) with EINVAL before touching the descriptor, so
// a refused change leaves the line as it was.
int WriteLineParams(int fd, const LineParams& params);

// Raw 8-bit mode: no echo, no line editing, no signals, no character
// translation, receiver on, modem lines ignored. Reads on a non-blocking
// descriptor then fail with EAGAIN when nothing is buffered (and return 0
// only on hang-up). The baud rate is kept.
int MakeRaw(int fd);

int FlushInput(int fd);

// Discards what was written and not yet sent.
int FlushOutput(int fd);

// Bytes received and not yet read.
int BytesWaiting(int fd, int& count);

// Bytes written and not yet sent. Pseudo-terminals always answer 0.
int BytesQueuedForOutput(int fd, int& count);

// Raises or lowers RTS and DTR. Devices without modem lines (pseudo-terminals)
// answer ENOTTY or EINVAL; those count as success.
int SetModemLines(int fd, bool rts, bool dtr);

// The driver calls a serial line makes about its settings and queues. A line
// goes through a replaceable set of them so that tests can play drivers a
// pseudo-terminal cannot: one that rounds the baud rate to a table of its
// own, one without modem lines that fails, one that holds back output or
// keeps the bytes that came with a hang-up.
struct LineDriver {
    std::function<int(int fd, LineParams& params)> readParams = ReadLineParams;
    std::function<int(int fd, const LineParams& params)> writeParams = WriteLineParams;
    std::function<int(int fd, bool rts, bool dtr)> setModemLines = SetModemLines;
    std::function<int(int fd, int& count)> inputWaiting = BytesWaiting;
    std::function<int(int fd, int& count)> outputQueued = BytesQueuedForOutput;
    std::function<int(int fd)> flushOutput = FlushOutput;
};

}  // namespace serial_line
