#pragma once

#include <string>
#include <string_view>

namespace busreport {

// UTF-8 text as a JSON string literal, quotes included; a byte that is no
// UTF-8 becomes U+FFFD, so the literal is valid whatever the text holds.
std::string JsonString(std::string_view text);

} // namespace busreport
