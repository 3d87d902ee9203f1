#pragma once

#include <string>

namespace cli {

// The usage text of a command, or of the whole program for an empty or unknown name.
std::string HelpText(const std::string& command);

} // namespace cli
