#include "bus/Latin1.h"

namespace bus {
namespace {

constexpr char kNoByte = '?';

struct Decoded {
    char32_t codePoint; // kInvalid when the sequence is malformed
    std::size_t length; // bytes taken, at least 1
};
constexpr char32_t kInvalid = 0xFFFFFFFF;

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// One character of UTF-8 text at `pos`; overlong forms, surrogates and
// truncated sequences are malformed and take a single byte.
Decoded DecodeUtf8(std::string_view text, std::size_t pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80)
        return {lead, 1};
    std::size_t length = 0;
    char32_t cp = 0;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) { length = 2; cp = lead & 0x1F; smallest = 0x80; }
    else if ((lead & 0xF0) == 0xE0) { length = 3; cp = lead & 0x0F; smallest = 0x800; }
    else if ((lead & 0xF8) == 0xF0) { length = 4; cp = lead & 0x07; smallest = 0x10000; }
    else return {kInvalid, 1};
    if (pos + length > text.size())
        return {kInvalid, 1};
    for (std::size_t i = 1; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[pos + i]);
        if (!IsContinuation(c))
            return {kInvalid, 1};
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < smallest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return {kInvalid, 1};
    return {cp, length};
}

} // namespace

std::string Latin1ToUtf8(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size() * 2);
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            text.push_back(static_cast<char>(b));
        } else {
            text.push_back(static_cast<char>(0xC0 | (b >> 6)));
            text.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    return text;
}

std::string Utf8ToLatin1(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const Decoded d = DecodeUtf8(text, pos);
        bytes.push_back(d.codePoint <= 0xFF ? static_cast<char>(d.codePoint) : kNoByte);
        pos += d.length;
    }
    return bytes;
}

std::size_t Utf8Length(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += DecodeUtf8(text, pos).length)
        ++count;
    return count;
}

} // namespace bus
