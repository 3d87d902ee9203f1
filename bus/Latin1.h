#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The one mapping between the bytes of a group name and its text: Latin-1,
// byte 0xC4 is 'Ä' both ways. Text is held as UTF-8.
namespace bus {

// A byte stands for the character of the same number.
std::string Latin1ToUtf8(std::string_view bytes);

// A character above U+00FF has no byte and becomes '?'; so does each byte of
// text that is not well-formed UTF-8.
std::string Utf8ToLatin1(std::string_view text);

// The number of characters in UTF-8 text (a malformed byte counts as one).
std::size_t Utf8Length(std::string_view text);

} // namespace bus
