#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cmdline {

// The word of `candidates` a mistyped `word` most likely meant: the one
// fewest single-character edits (or swaps of neighbours) away, if that is
// at most two and less than half the word; nothing when none is that close.
std::optional<std::string> NearestWord(const std::string& word, const std::vector<std::string>& candidates);

} // namespace cmdline
