#pragma once

#include <string_view>

// Reads numbers the way scanf's "%i" does: leading white space skipped, an
// optional sign, then hexadecimal after "0x", octal after a leading 0, decimal
// otherwise. Stored settings are parsed with it ("0x10" -> 16, "011" -> 9).
// Numbers beyond the int range clamp to it instead of wrapping.
class CScanfReader {
public:
    explicit CScanfReader(std::string_view text) : m_text(text) {}

    // One "%i" conversion; false (and value untouched) when no digit follows.
    bool ReadInt(int& value);
    // A literal character of the format: must be the very next input byte.
    bool Match(char literal);

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

// Counts how many "%i" fields, separated by `separator`, were converted from
// the start of text into values[0..count), as sscanf would return.
int ScanInts(std::string_view text, char separator, int* values, int count);
