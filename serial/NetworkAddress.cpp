#include "serial/NetworkAddress.h"

#include <charconv>

namespace {

constexpr std::string_view kSeparator = "://";

NetworkAddressError Refuse(std::string reason)
{
    return {std::move(reason)};
}

}  // namespace

bool LooksLikeUrl(std::string_view text)
{
    const std::size_t end = text.find(kSeparator);
    if (end == std::string_view::npos || end == 0)
        return false;
    for (const char c : text.substr(0, end)) {
        const bool schemeChar = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+'
                                || c == '-' || c == '.';
        if (!schemeChar)
            return false;
    }
    return true;
}

std::optional<std::variant<NetworkAddress, NetworkAddressError>> ParseNetworkAddress(std::string_view text)
{
    if (!LooksLikeUrl(text))
        return std::nullopt;
    const std::size_t separator = text.find(kSeparator);
    const std::string_view scheme = text.substr(0, separator);
    std::string_view rest = text.substr(separator + kSeparator.size());

    NetworkAddress address;
    if (scheme == "rfc2217")
        address.protocol = NetworkAddress::Protocol::Rfc2217;
    else if (scheme == "tcp")
        address.protocol = NetworkAddress::Protocol::RawTcp;
    else
        return Refuse("unknown scheme \"" + std::string(scheme) + "\" (rfc2217:// or tcp://)");
    if (!rest.empty() && rest.back() == '/')
        rest.remove_suffix(1);

    std::string_view port;
    if (rest.starts_with('[')) {
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos)
            return Refuse("unclosed \"[\" in the host");
        address.host = rest.substr(1, close - 1);
        const std::string_view after = rest.substr(close + 1);
        if (!after.empty() && !after.starts_with(':'))
            return Refuse("unexpected text after the host");
        port = after.empty() ? after : after.substr(1);
        if (after.empty())
            return Refuse("no port: write HOST:PORT");
    } else {
        const std::size_t colon = rest.rfind(':');
        if (colon == std::string_view::npos)
            return Refuse("no port: write HOST:PORT");
        address.host = rest.substr(0, colon);
        if (address.host.find(':') != std::string::npos)
            return Refuse("an IPv6 address goes in brackets: [::1]:PORT");
        port = rest.substr(colon + 1);
    }
    if (address.host.empty())
        return Refuse("no host");
    if (port.empty())
        return Refuse("no port: write HOST:PORT");

    unsigned number = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
    if (error != std::errc() || end != port.data() + port.size() || number < 1 || number > 65535)
        return Refuse("port \"" + std::string(port) + "\" is not a number from 1 to 65535");
    address.port = static_cast<std::uint16_t>(number);
    return address;
}
