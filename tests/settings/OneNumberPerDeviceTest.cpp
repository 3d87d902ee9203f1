// What each COM number stands for when by-id names are stored for some and
// the adapters come back on other device nodes: every present adapter keeps
// exactly one number.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "settings/PortsLookup.h"
#include "tests/support/FakeSystemTree.h"

namespace {

namespace fs = std::filesystem;

// Adapters are device nodes, as real ones are (harmless ones: nothing is opened).
const std::map<std::string, std::string> kAdapterDevices {{"A", "/dev/zero"}, {"B", "/dev/full"}, {"C", "/dev/urandom"}};

struct Case {
    const char* name;
    std::map<std::string, std::string> plugged; // device node -> adapter
    std::map<int, std::string> stored;          // COM number -> adapter (its by-id name) or URL
    std::map<int, std::string> expected;        // COM number -> adapter, URL, or "" for no device there
};

const Case kCases[] = {
    {"as first plugged", {{"ttyUSB0", "A"}, {"ttyUSB1", "B"}}, {{9, "A"}}, {{9, "A"}, {10, "B"}, {11, ""}}},
    {"swapped by a re-plug", {{"ttyUSB0", "B"}, {"ttyUSB1", "A"}}, {{9, "A"}}, {{9, "A"}, {10, "B"}, {11, ""}}},
    {"the other one stored", {{"ttyUSB0", "B"}, {"ttyUSB1", "A"}}, {{10, "B"}}, {{9, "A"}, {10, "B"}}},
    {"both stored", {{"ttyUSB0", "B"}, {"ttyUSB1", "A"}}, {{9, "A"}, {10, "B"}}, {{9, "A"}, {10, "B"}}},
    {"the other one unplugged", {{"ttyUSB1", "A"}}, {{9, "A"}}, {{9, "A"}, {10, ""}}},
    {"a chain of three",
     {{"ttyUSB0", "C"}, {"ttyUSB1", "A"}, {"ttyUSB2", "B"}},
     {{9, "A"}, {10, "B"}},
     {{9, "A"}, {10, "B"}, {11, "C"}}},
    {"stored under another kind's number", {{"ttyUSB0", "A"}, {"ttyACM0", "B"}}, {{1, "A"}}, {{1, "A"}, {9, "B"}, {2, ""}}},
    {"a network interface", {{"ttyUSB0", "A"}, {"ttyUSB1", "B"}}, {{9, "tcp://127.0.0.1:4001"}},
     {{9, "tcp://127.0.0.1:4001"}, {10, "B"}}},
};

TEST(OneNumberPerDevice, EveryPresentAdapterKeepsOneNumber)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        FakeSystemTree tree("one-number-per-device");
        const auto byId = [&](const std::string& adapter) { return "usb-Olvarn_Bus_Interface_" + adapter + "-if00"; };
        for (const auto& [node, adapter] : c.plugged)
            tree.Plug(node, kAdapterDevices.at(adapter), byId(adapter));
        std::map<int, std::string> entries;
        for (const auto& [number, stored] : c.stored)
            entries[number] = stored.find("://") != std::string::npos ? stored : tree.Roots().byId + "/" + byId(stored);
        const PortLookup lookup = settings::OneNumberPerDevice(
            [&](int n) { return entries.count(n) ? std::optional(entries[n]) : std::nullopt; }, tree.BuiltInTable());

        for (const auto& [number, expected] : c.expected) {
            const std::optional<std::string> path = lookup(number);
            ASSERT_TRUE(path) << "COM" << number;
            std::error_code absent;
            const fs::path device = fs::canonical(*path, absent);
            std::string reached = path->find("://") != std::string::npos ? *path : "";
            for (const auto& [adapter, node] : kAdapterDevices)
                reached += !absent && device == node ? adapter : "";
            EXPECT_EQ(reached, expected) << "COM" << number << " = " << *path;
        }
    }
}

TEST(OneNumberPerDevice, ANumberOutsideTheTableWithoutAnEntryStandsForNothing)
{
    const PortLookup lookup = settings::OneNumberPerDevice([](int) { return std::nullopt; });
    EXPECT_EQ(lookup(21), std::nullopt);
    EXPECT_EQ(lookup(9), "/dev/ttyUSB0");
}

} // namespace
