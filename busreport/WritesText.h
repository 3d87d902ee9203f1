#pragma once

#include <cstddef>
#include <string>

// Which of the four writes of a Set went out, in words, for both programs.
namespace busreport {

inline constexpr std::size_t kWriteCount = 4;

// "name and channel": the writes from `first` up to (not including) `end`,
// in the order they go out (name, channel, group ID, key).
std::string WriteList(std::size_t first, std::size_t end);

// "2 of the 4 writes (name and channel went out, group ID and key did not)";
// "none of the 4 writes" when nothing went out, "all of the 4 writes" when all did.
std::string WritesSentText(std::size_t written);

} // namespace busreport
