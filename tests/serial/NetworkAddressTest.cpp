#include "serial/NetworkAddress.h"

#include <gtest/gtest.h>

namespace {

using Protocol = NetworkAddress::Protocol;

struct GoodCase {
    const char* text;
    Protocol protocol;
    const char* host;
    int port;
};

TEST(NetworkAddress, ReadsBothSchemesAndEveryKindOfHost)
{
    const GoodCase cases[] = {
        {"rfc2217://127.0.0.1:2217", Protocol::Rfc2217, "127.0.0.1", 2217},
        {"tcp://layout-pi:4001", Protocol::RawTcp, "layout-pi", 4001},
        {"rfc2217://[::1]:1", Protocol::Rfc2217, "::1", 1},
        {"tcp://[fe80::1%eth0]:65535", Protocol::RawTcp, "fe80::1%eth0", 65535},
        {"tcp://host.example:80/", Protocol::RawTcp, "host.example", 80},
    };
    for (const GoodCase& c : cases) {
        SCOPED_TRACE(c.text);
        const auto parsed = ParseNetworkAddress(c.text);
        ASSERT_TRUE(parsed);
        const auto* address = std::get_if<NetworkAddress>(&*parsed);
        ASSERT_NE(address, nullptr) << std::get<NetworkAddressError>(*parsed).reason;
        EXPECT_EQ(address->protocol, c.protocol);
        EXPECT_EQ(address->host, c.host);
        EXPECT_EQ(address->port, c.port);
    }
}

TEST(NetworkAddress, RefusesBadUrlsWithAReason)
{
    const std::pair<const char*, const char*> cases[] = {
        {"rfc2217://127.0.0.1", "no port"},
        {"rfc2217://127.0.0.1:", "no port"},
        {"tcp://host:0", "1 to 65535"},
        {"tcp://host:65536", "1 to 65535"},
        {"tcp://host:-5", "1 to 65535"},
        {"tcp://host:22x", "1 to 65535"},
        {"telnet://host:23", "unknown scheme \"telnet\""},
        {"tcp://:4001", "no host"},
        {"tcp://::1:4001", "brackets"},
        {"tcp://[::1:4001", "unclosed"},
        {"tcp://[::1]4001", "after the host"},
        {"tcp://[::1]", "no port"},
    };
    for (const auto& [text, reason] : cases) {
        SCOPED_TRACE(text);
        const auto parsed = ParseNetworkAddress(text);
        ASSERT_TRUE(parsed);
        const auto* error = std::get_if<NetworkAddressError>(&*parsed);
        ASSERT_NE(error, nullptr);
        EXPECT_NE(error->reason.find(reason), std::string::npos) << error->reason;
    }
}

TEST(NetworkAddress, DevicePathsAndComNamesAreNoUrls)
{
    for (const char* text : {"/dev/ttyUSB0", "COM5", "\\\\.\\COM5", "", "://x:1", "dir/x://y", "C:\\tty"})
        EXPECT_FALSE(ParseNetworkAddress(text)) << text;
}

}  // namespace
