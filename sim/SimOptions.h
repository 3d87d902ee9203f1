#pragma once

#include "bus/GroupReply.h"
#include "bus/TransceiverModel.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// Everything brenvik-sim can be told on its command line.
struct SimOptions {
    std::string linkPath;  // a symbolic link to the slave, made at start and removed at exit
    bool fast = false;     // no bus timing: answers go out at once
    bool log = false;      // every frame received and sent, in hex with a timestamp
    bus::RadioSettings settings = CTransceiverModel::DefaultSettings();
    std::uint32_t seed = 1;
    std::optional<CTransceiverModel::LevelTable> levels;  // fixed levels of channels 11-26, no jitter
    TransceiverFaults faults;
    std::size_t floodBytes = 0;  // data bytes sent after the answers to each message
    std::uint32_t requiredBaud = 0;  // answer only while the line is at this speed (0: any)
};

enum class ParseResult { Run, Help, Version, Error };

// Reads the arguments (without the program name). On Error, `error` says why.
ParseResult ParseSimOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error);

std::string HelpText();

}  // namespace sim
