#pragma once

// What brenvik-cli returns to the shell; every failure also writes one line to stderr.
namespace cli {

enum ExitCode : int {
    ExitOk = 0,
    ExitUsage = 1,     // a bad command line or a value out of range; nothing was sent
    ExitNoReply = 2,   // the transceiver did not answer, or did not take what was written
    ExitPortError = 3, // the port could not be opened, configured, read or written, or the device went
};
// An interrupt gives 128 plus its signal, as the shell shows a process the
// signal ended: 130 for SIGINT (Ctrl+C), 143 for SIGTERM.

} // namespace cli
