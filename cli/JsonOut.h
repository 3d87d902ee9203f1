#pragma once

#include <nlohmann/json.hpp>

#include <ostream>

// The JSON brenvik-cli writes for scripts.
namespace cli {

// Keys stay in the order the program writes them.
using Json = nlohmann::ordered_json;

// Writes `document` on one line. Whatever bytes its texts hold, the output
// is valid JSON and safe on a terminal: everything outside printable ASCII
// is a \u escape, and bytes that are no UTF-8 become U+FFFD.
void WriteJson(std::ostream& out, const Json& document);

} // namespace cli
