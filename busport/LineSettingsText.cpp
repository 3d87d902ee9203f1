#include "busport/LineSettingsText.h"

#include <cctype>
#include <charconv>

namespace busport {
namespace {

constexpr std::string_view kRtsCts = "rtscts";

// The next blank-separated word of `text`, taken off its front.
std::string_view TakeWord(std::string_view& text)
{
    const auto isBlank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    std::size_t length = 0;
    while (length < text.size() && !isBlank(text[length]))
        ++length;
    const std::string_view word = text.substr(0, length);
    text.remove_prefix(length);
    return word;
}

std::string RangeText()
{
    return std::to_string(bus::kMinBaudRate) + " to " + std::to_string(bus::kMaxBaudRate);
}

} // namespace

std::optional<LineSettings> ParseLineSettings(std::string_view text, std::string& error)
{
    const std::string_view baudWord = TakeWord(text);
    const std::string_view flowWord = TakeWord(text);
    const std::string_view extra = TakeWord(text);
    // Read wide, so that a huge or negative number is "out of range", not "not a number".
    long long baud = 0;
    const auto [end, parsed] = std::from_chars(baudWord.data(), baudWord.data() + baudWord.size(), baud);
    if (baudWord.empty() || end != baudWord.data() + baudWord.size()
        || (parsed != std::errc() && parsed != std::errc::result_out_of_range)) {
        error = "the baud rate \"" + std::string(baudWord) + "\" is not a whole number";
        return std::nullopt;
    }
    if (parsed == std::errc::result_out_of_range || baud < bus::kMinBaudRate || baud > bus::kMaxBaudRate) {
        error = "the baud rate " + std::string(baudWord) + " is outside " + RangeText();
        return std::nullopt;
    }
    if (!flowWord.empty() && flowWord != kRtsCts) {
        error = "the flow control \"" + std::string(flowWord) + "\" is not rtscts";
        return std::nullopt;
    }
    if (!extra.empty()) {
        error = "\"" + std::string(extra) + "\" follows the flow control";
        return std::nullopt;
    }
    return LineSettings {static_cast<std::uint32_t>(baud), flowWord.empty() ? Flow::None : Flow::RtsCts};
}

std::string LineSettingsValue(const LineSettings& line)
{
    return std::to_string(line.baud) + (line.flow == Flow::RtsCts ? " " + std::string(kRtsCts) : "");
}

std::string LineSettingsText(const LineSettings& line)
{
    return std::to_string(line.baud) + " baud" + (line.flow == Flow::RtsCts ? ", RTS/CTS" : "");
}

StoredLine ReadStoredLine(const std::optional<std::string>& value, std::string_view where)
{
    if (!value)
        return {};
    std::string error;
    if (const std::optional<LineSettings> line = ParseLineSettings(*value, error))
        return {*line, {}};
    return {{}, std::string(where) + " = \"" + *value + "\" is ignored: " + error + "; using "
                   + LineSettingsText({}) + " without flow control"};
}

} // namespace busport
