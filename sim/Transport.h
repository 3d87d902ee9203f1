#pragma once

#include "sim/LineCheck.h"
#include "serial/Sockets.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace sim {

// The program's end of the simulated line, as the server's loop drives it: a
// pseudo-terminal (PtyServer.h) or a TCP client (TcpTransport.h). Errors are
// the system's codes (errno, or Winsock's on Windows).
class Transport {
public:
    virtual ~Transport() = default;

    // Adds the handles to wait on; `sending` asks to hear when the line takes bytes.
    virtual void AddWaits(std::vector<pollfd>& waits, bool sending) const = 0;
    // Acts on what the wait reported for those handles (`ready`, in the order
    // added), putting what the program sent into `received`: all of it from
    // the program there before the call. 0 or an error.
    virtual int Take(std::span<const pollfd> ready, std::vector<std::uint8_t>& received) = 0;
    // Which program is at the other end. It changes when another one comes
    // (a TCP client after the last): answers owed to the one before are dropped.
    virtual std::uint64_t Program() const = 0;
    // Whether the program's side of the line is set to `line`.
    virtual bool LineMatches(const ExpectedLine& line) const = 0;
    // Writes what the line takes of `bytes` now (nothing while no program is
    // there) and says how much. 0 or an error.
    virtual int Write(std::span<const std::uint8_t> bytes, std::size_t& written) = 0;
};

}  // namespace sim
