#include "cmdline/OptionWord.h"

#include "cmdline/NearestWord.h"

namespace cmdline {

OptionWord SplitOption(const std::string& word)
{
    const std::size_t equals = word.find('=');
    if (equals == std::string::npos)
        return {word, std::nullopt};
    return {word.substr(0, equals), word.substr(equals + 1)};
}

bool ReadValue(const std::vector<std::string>& args, std::size_t& i, const OptionWord& typed, const std::string& name,
               bool takesValue, std::string& value, std::string& error)
{
    if (!takesValue) {
        if (typed.inlineValue)
            error = name + " takes no value";
        return !typed.inlineValue;
    }
    if (typed.inlineValue) {
        value = *typed.inlineValue;
        return true;
    }
    if (i + 1 >= args.size()) {
        error = typed.name + " needs a value";
        return false;
    }
    const std::string& next = args[i + 1];
    if (next.starts_with("-") && next != "-") {
        error = typed.name + " needs a value (a value that starts with - goes as " + name + "=" + next + ")";
        return false;
    }
    value = args[++i];
    return true;
}

std::string DidYouMean(const std::string& word, const std::vector<std::string>& candidates)
{
    const auto nearest = NearestWord(word, candidates);
    return nearest ? " (did you mean " + *nearest + "?)" : "";
}

} // namespace cmdline
