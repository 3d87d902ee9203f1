#include "cli/SettingsText.h"

#include "busreport/Json.h"
#include "cli/SettingsQuery.h"

namespace cli {

using busreport::JsonString;

void WriteSettings(std::ostream& out, const bus::RadioSettings& settings, const std::string& indent)
{
    out << indent << "Group name: \"" << settings.name << "\"\n"
        << indent << "Group ID:   " << settings.netWorkId << '\n'
        << indent << "Key:        " << settings.pwKey << '\n'
        << indent << "Channel:    " << settings.rfChannel << '\n';
}

void WriteReplies(std::ostream& out, const std::vector<bus::RadioSettings>& replies)
{
    if (replies.size() == 1) {
        WriteSettings(out, replies.front());
        return;
    }
    out << replies.size() << " transceivers answered, "
        << (AllAgree(replies) ? "all with the same settings." : "with different settings.") << '\n';
    for (std::size_t i = 0; i < replies.size(); ++i) {
        out << "Transceiver " << i + 1 << ":\n";
        WriteSettings(out, replies[i], "  ");
    }
}

void WriteRepliesJson(std::ostream& out, const std::string& port, const std::string& device,
                      const std::vector<bus::RadioSettings>& replies)
{
    out << "{\"port\": " << JsonString(port) << ", \"device\": " << JsonString(device) << ", \"transceivers\": [";
    for (std::size_t i = 0; i < replies.size(); ++i) {
        const bus::RadioSettings& s = replies[i];
        out << (i ? ", " : "") << "{\"name\": " << JsonString(s.name) << ", \"group_id\": " << s.netWorkId
            << ", \"key\": " << s.pwKey << ", \"channel\": " << s.rfChannel << '}';
    }
    out << "], \"differ\": " << (AllAgree(replies) ? "false" : "true") << "}\n";
}

std::string Differences(const bus::RadioSettings& held, const bus::RadioSettings& wanted)
{
    std::string text;
    auto add = [&text](const std::string& what, const std::string& is, const std::string& should) {
        if (is != should)
            text += (text.empty() ? "" : ", ") + what + " " + is + " (wanted " + should + ")";
    };
    add("name", "\"" + held.name + "\"", "\"" + wanted.name + "\"");
    add("channel", std::to_string(held.rfChannel), std::to_string(wanted.rfChannel));
    add("key", std::to_string(held.pwKey), std::to_string(wanted.pwKey));
    add("group ID", std::to_string(held.netWorkId), std::to_string(wanted.netWorkId));
    return text;
}

} // namespace cli
