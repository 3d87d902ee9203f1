#pragma once

#include "bus/GroupReply.h"
#include "bus/TransceiverModel.h"
#include "sim/LineCheck.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// Where --listen serves: a host name or address and a TCP port (0: any free one).
struct ListenAddress {
    std::string host = "127.0.0.1";
    std::uint16_t port = 0;
};

// Everything brenvik-sim can be told on its command line.
struct SimOptions {
    std::optional<ListenAddress> listen;  // serve on TCP instead of a pseudo-terminal
    std::string linkPath;  // a symbolic link to the slave, made at start and removed at exit
    bool fast = false;     // no bus timing: answers go out at once
    bool log = false;      // every frame received and sent, in hex with a timestamp
    bus::RadioSettings settings = CTransceiverModel::DefaultSettings();
    std::uint32_t seed = 1;
    std::optional<CTransceiverModel::LevelTable> levels;  // fixed levels of channels 11-26, no jitter
    TransceiverFaults faults;
    ExpectedLine line;           // --baud/--flow: answer only a program that set this line
};

enum class ParseResult { Run, Help, Version, Error };

// Reads the arguments (without the program name). On Error, `error` says why.
ParseResult ParseSimOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error);

std::string HelpText();

}  // namespace sim
