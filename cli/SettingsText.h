#pragma once

#include "bus/GroupReply.h"
#include "cli/JsonOut.h"

#include <ostream>
#include <string>
#include <vector>

// How the settings a transceiver answered are shown.
namespace cli {

// The values of `settings` outside what a transceiver may hold, by their
// JSON names ("group_id", "key", "channel"): a garbled or foreign reply.
std::vector<std::string> OutOfRange(const bus::RadioSettings& settings);

// One transceiver's settings, one per line; the name in quotes so that
// blanks show, its control characters escaped; a value out of range is marked.
void WriteSettings(std::ostream& out, const bus::RadioSettings& settings, const std::string& indent = "");

// All replies of one Get: each transceiver, and whether they differ.
void WriteReplies(std::ostream& out, const std::vector<bus::RadioSettings>& replies);

// One transceiver's settings as a JSON object, with "out_of_range" naming
// the values outside their range.
Json SettingsJson(const bus::RadioSettings& settings);

// All replies as one JSON object: port, device, transceivers and whether they differ.
void WriteRepliesJson(std::ostream& out, const std::string& port, const std::string& device,
                      const std::vector<bus::RadioSettings>& replies);

// "channel 11 (wanted 15), key 0 (wanted 1234)": what differs from the wanted settings.
std::string Differences(const bus::RadioSettings& held, const bus::RadioSettings& wanted);

} // namespace cli
