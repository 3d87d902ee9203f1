#pragma once

#include <optional>
#include <string>
#include <vector>

// The form rules both programs' command lines share: "--name=value" or
// "--name value", a value that starts with "-" only after "=" (so a
// forgotten value never swallows the next option), a mistyped word answered
// with the one most likely meant.
namespace cmdline {

// An option word as typed: "--name=x" is the name and its inline value.
struct OptionWord {
    std::string name;
    std::optional<std::string> inlineValue;
};
OptionWord SplitOption(const std::string& word);

// Reads the value of the option word at args[i], named `name` and typed as
// `typed`: its inline value, or for an option that takes one the next
// argument (i then moves past it). False, with `error` set, when a value is
// missing, would be an option word, or is given to an option that takes none.
bool ReadValue(const std::vector<std::string>& args, std::size_t& i, const OptionWord& typed, const std::string& name,
               bool takesValue, std::string& value, std::string& error);

// " (did you mean get?)" for the candidate `word` most likely meant; empty when none is close.
std::string DidYouMean(const std::string& word, const std::vector<std::string>& candidates);

} // namespace cmdline
