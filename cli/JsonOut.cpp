#include "cli/JsonOut.h"

namespace cli {
namespace {

// Separators with a blank after them, as people read JSON ({"a": 1, "b": 2});
// each scalar as the library writes it, ASCII only.
void Append(std::string& text, const Json& value)
{
    const auto scalar = [](const Json& v) { return v.dump(-1, ' ', true, Json::error_handler_t::replace); };
    if (value.is_object()) {
        text += '{';
        const char* separator = "";
        for (const auto& [key, member] : value.items()) {
            text += separator + scalar(Json(key)) + ": ";
            Append(text, member);
            separator = ", ";
        }
        text += '}';
    } else if (value.is_array()) {
        text += '[';
        const char* separator = "";
        for (const Json& element : value) {
            text += separator;
            Append(text, element);
            separator = ", ";
        }
        text += ']';
    } else {
        text += scalar(value);
    }
}

} // namespace

void WriteJson(std::ostream& out, const Json& document)
{
    std::string text;
    Append(text, document);
    out << text << std::endl;
}

} // namespace cli
