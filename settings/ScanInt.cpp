#include "settings/ScanInt.h"

#include <cctype>
#include <climits>

namespace {

int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

} // namespace

bool CScanfReader::ReadInt(int& value)
{
    std::size_t pos = m_pos;
    while (pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[pos])))
        ++pos;
    bool negative = false;
    if (pos < m_text.size() && (m_text[pos] == '+' || m_text[pos] == '-'))
        negative = m_text[pos++] == '-';

    int base = 10;
    if (pos < m_text.size() && m_text[pos] == '0') {
        base = 8;
        // "0x" counts as a prefix only when a hex digit follows; "0xg" reads 0.
        const bool hexPrefix = pos + 2 < m_text.size()
            && (m_text[pos + 1] == 'x' || m_text[pos + 1] == 'X')
            && DigitValue(m_text[pos + 2]) < 16;
        if (hexPrefix) {
            base = 16;
            pos += 2;
        }
    }

    long long magnitude = 0;
    std::size_t digits = 0;
    for (; pos < m_text.size() && DigitValue(m_text[pos]) < base; ++pos, ++digits) {
        if (magnitude <= LLONG_MAX / 16) // beyond that the value clamps anyway
            magnitude = magnitude * base + DigitValue(m_text[pos]);
    }
    if (digits == 0)
        return false;

    const long long signedValue = negative ? -magnitude : magnitude;
    value = signedValue > INT_MAX ? INT_MAX : signedValue < INT_MIN ? INT_MIN : static_cast<int>(signedValue);
    m_pos = pos;
    return true;
}

bool CScanfReader::Match(char literal)
{
    if (m_pos >= m_text.size() || m_text[m_pos] != literal)
        return false;
    ++m_pos;
    return true;
}

int ScanInts(std::string_view text, char separator, int* values, int count)
{
    CScanfReader reader(text);
    int converted = 0;
    while (converted < count) {
        if (converted > 0 && !reader.Match(separator))
            break;
        if (!reader.ReadInt(values[converted]))
            break;
        ++converted;
    }
    return converted;
}
