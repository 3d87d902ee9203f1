#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

// A bus interface on the network, named where a device path goes:
// "rfc2217://HOST:PORT" (Telnet with the COM port option: this program sets
// the line) or "tcp://HOST:PORT" (a plain byte stream: the server's side sets
// the line). HOST is a name, an IPv4 address or an IPv6 address in brackets
// ("[::1]").
struct NetworkAddress {
    enum class Protocol { Rfc2217, RawTcp };

    Protocol protocol = Protocol::RawTcp;
    std::string host;  // without brackets
    std::uint16_t port = 0;
};

// Why a text that names a network interface is not a usable one, in words.
struct NetworkAddressError {
    std::string reason;
};

// True when the text has the form of a URL ("scheme://..."), whatever the
// scheme: such a text is never a device path.
bool LooksLikeUrl(std::string_view text);

// Reads a URL of the two schemes. A text that is no URL gives nothing; a URL
// with another scheme, an empty host, or a port that is missing or outside
// 1-65535 gives the reason.
std::optional<std::variant<NetworkAddress, NetworkAddressError>> ParseNetworkAddress(std::string_view text);
