#include "cli/SettingsQuery.h"

#include "bus/GroupRequests.h"
#include "cli/ExitCode.h"

#include <algorithm>

namespace cli {
namespace {

// A little over one 20-byte message of silence: nothing more is on its way.
constexpr int kQuietByteTimes = 25;

} // namespace

SettingsAnswers QuerySettings(CBusSession& session, int timeoutMs)
{
    SettingsAnswers answers;
    session.Framer().SetGroupMessageHandler([&answers](std::span<const std::uint8_t> message) {
        const bus::GroupReply reply = bus::DecodeGroupReply(
            bus::UnpackGroupMessage(message.first<bus::kGroupMessageSize>()));
        if (const auto* settings = std::get_if<bus::RadioSettings>(&reply))
            answers.replies.push_back(*settings);
    });
    const int heardBefore = session.GoodMessages();
    const auto windowEnd = CBusSession::Clock::now() + std::chrono::milliseconds(timeoutMs);
    if (!session.Send(bus::MakeSettingsRequest())) { // it went out
        session.PumpUntil(windowEnd, [&answers] { return !answers.replies.empty(); });
        const auto quiet = session.ByteTime() * kQuietByteTimes;
        while (!answers.replies.empty() && !session.PortFailure() && !session.Interrupted()) {
            const auto settleEnd = std::min(windowEnd, session.LastReceived() + quiet);
            if (CBusSession::Clock::now() >= settleEnd)
                break;
            session.PumpUntil(settleEnd, [] { return false; });
        }
    }
    session.Framer().SetGroupMessageHandler({});
    answers.anythingHeard = session.GoodMessages() > heardBefore;
    return answers;
}

int ReportNoReply(CBusSession& session, const SettingsAnswers& answers, int timeoutMs)
{
    if (session.PortFailure())
        return session.ReportPortFailure();
    if (session.Interrupted()) {
        session.Err() << "brenvik-cli: interrupted before the transceiver answered\n";
        return ExitNoReply;
    }
    session.Err() << "brenvik-cli: no reply from the transceiver within " << timeoutMs << " ms on " << session.PortLabel()
        << (answers.anythingHeard ? " (the bus echoed the request: is the transceiver powered and connected?)"
                                  : " (nothing came back, not even the echo: is the bus interface connected?)")
        << '\n';
    return ExitNoReply;
}

bool AllAgree(const std::vector<bus::RadioSettings>& replies)
{
    return std::all_of(replies.begin(), replies.end(),
                       [&replies](const bus::RadioSettings& s) { return s == replies.front(); });
}

} // namespace cli
