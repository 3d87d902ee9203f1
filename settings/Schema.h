#pragma once

#include <string>
#include <string_view>

// Every section and value name of the per-user settings, written once here.
// The names are the stored ones: settings files and registry keys written by
// earlier releases rely on them, so none may change. A section nests with
// '/': "Settings/Ints" is the group [Settings] Ints\... of the Linux file and
// the key Software\Olvarn\Brenvik\Settings\Ints of the Windows registry.
// Every value is text; numbers are "%i" text.
namespace settings {

// Where the settings live: organisation and application.
inline constexpr std::string_view kOrganisation = "Olvarn";
inline constexpr std::string_view kApplication = "Brenvik";

inline constexpr std::string_view kIntsSection = "Settings/Ints";
inline constexpr std::string_view kStringsSection = "Settings/Strings";
// "COM<n>" -> a device path or URL for COM n (ComEntry).
inline constexpr std::string_view kPortsSection = "Ports";
// "COM<n>" -> "<baud>" or "<baud> rtscts" (busport/LineSettingsText.h).
inline constexpr std::string_view kLinesSection = "Lines";
// "File1" ... -> the recent-file list, most recent first (RecentFileEntry).
inline constexpr std::string_view kRecentFilesSection = "Recent File List";

// A number kept as "%i" text, and what a missing or unreadable one reads as.
struct IntValue {
    std::string_view section;
    std::string_view name;
    int fallback;
};

// A text value, and what a missing one reads as.
struct TextValue {
    std::string_view section;
    std::string_view name;
    std::string_view fallback;
};

// GroupSettings, the document's five values.
inline constexpr IntValue kActiveComPort {kIntsSection, "m_ActiveComPort", 1};
inline constexpr IntValue kRFChannel {kIntsSection, "m_RFChannel", 11};
inline constexpr IntValue kPwKey {kIntsSection, "m_PwKey", 0};
inline constexpr IntValue kNetWorkID {kIntsSection, "m_NetWorkID", 0};
inline constexpr TextValue kNetName {kStringsSection, "m_NetName", "Olv12345"};

// The main frame's: the last project file and the window placement.
inline constexpr TextValue kProjectFilePath {"FilePaths", "g_ProjectFilePath", ""};
inline constexpr TextValue kWindowPos {"WindowPos", "WindowPos", ""};

// The entry of COM n in "Ports" and "Lines".
inline std::string ComEntry(int comNumber)
{
    return "COM" + std::to_string(comNumber);
}

// The entry of the n-th recent file (1 = the most recent).
inline std::string RecentFileEntry(int n)
{
    return "File" + std::to_string(n);
}

} // namespace settings
