#include "busreport/WritesText.h"

namespace busreport {
namespace {

constexpr const char* kWriteNames[kWriteCount] = {"name", "channel", "group ID", "key"};

} // namespace

std::string WriteList(std::size_t first, std::size_t end)
{
    std::string text;
    for (std::size_t i = first; i < end; ++i)
        text += std::string(i == first ? "" : i + 1 == end ? " and " : ", ") + kWriteNames[i];
    return text;
}

std::string WritesSentText(std::size_t written)
{
    const std::string total = " of the " + std::to_string(kWriteCount) + " writes";
    if (written == 0)
        return "none" + total;
    if (written >= kWriteCount)
        return "all" + total;
    return std::to_string(written) + total + " (" + WriteList(0, written) + " went out, "
        + WriteList(written, kWriteCount) + " did not)";
}

} // namespace busreport
