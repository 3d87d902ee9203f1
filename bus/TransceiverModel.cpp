#include "bus/TransceiverModel.h"

#include "bus/Checksum.h"
#include "bus/Latin1.h"

#include <algorithm>

using namespace bus;

namespace {

// Neighbouring networks are 20 MHz wide and sit on three usual channels; each
// covers four radio channels starting at these.
constexpr std::array<std::int32_t, 3> kBusyBandStarts = {11, 16, 21};

bool IsAsciiDigit(std::uint8_t b) { return b >= '0' && b <= '9'; }

} // namespace

CTransceiverModel::CTransceiverModel(RadioSettings start, std::uint32_t seed)
    : m_RandomState(seed)
{
    m_First.settings = std::move(start);
    ShapeLevels(m_First);
    ShapeLevels(m_Second);
    m_Framer.SetMessageObserver([this](std::span<const std::uint8_t> message) { OnMessage(message); });
}

std::vector<std::uint8_t> CTransceiverModel::Feed(std::span<const std::uint8_t> written)
{
    m_Out.clear();
    m_Framer.ProcessRxBytes(written);
    return std::move(m_Out);
}

std::int32_t CTransceiverModel::BaseLevel(std::int32_t channel) const
{
    if (channel < bus::kFirstChannel || channel > bus::kLastChannel)
        return 0;
    return m_First.baseLevels[static_cast<std::size_t>(channel - bus::kFirstChannel)];
}

void CTransceiverModel::SetLevels(const LevelTable& levels)
{
    m_First.baseLevels = levels;
    m_First.jitter = 0;
}

void CTransceiverModel::OnMessage(std::span<const std::uint8_t> message)
{
    if (!m_Faults.dropEchoes)
        Send(message, m_Faults.corruptEchoes);
    if (message.size() == kGroupMessageSize && message[0] == kGroupOpcode && message[1] == kGroupLength) {
        const GroupMessageFields fields = UnpackGroupMessage(message.first<kGroupMessageSize>());
        m_Received.push_back(fields);
        if (fields.direction == DirWrite) {
            ApplyWrite(fields);
        } else if (fields.direction == DirReadRequest && !m_Faults.dropReplies) {
            Answer(m_First.settings, m_First, fields);
            if (m_Faults.secondTransceiver)
                Answer(*m_Faults.secondTransceiver, m_Second, fields);
        }
    }
    if (m_Faults.foreignMessages)
        SendForeignMessages();
    for (std::size_t i = 0; i < m_Faults.floodBytes; ++i)
        m_Out.push_back(static_cast<std::uint8_t>(i & 0x7F));
}

void CTransceiverModel::ApplyWrite(const GroupMessageFields& fields)
{
    RadioSettings& settings = m_First.settings;
    const auto& d = fields.data;
    switch (fields.command) {
    case CmdSettings:
        settings.name = Latin1ToUtf8(std::string_view(reinterpret_cast<const char*>(d.data()), kNameLength));
        break;
    case CmdRfChannel:
        settings.rfChannel = d[0];
        break;
    case CmdGroupId:
        settings.netWorkId = d[0];
        break;
    case CmdPasswordKey:
        // The transceiver keeps a key only when it is four decimal digits.
        if (std::all_of(d.begin(), d.begin() + 4, IsAsciiDigit))
            settings.pwKey = 1000 * (d[0] - '0') + 100 * (d[1] - '0') + 10 * (d[2] - '0') + (d[3] - '0');
        break;
    default:
        break;
    }
}

void CTransceiverModel::Answer(const RadioSettings& settings, const Radio& radio,
                               const GroupMessageFields& request)
{
    GroupMessageFields reply;
    if (request.command == CmdSettings)
        reply = MakeSettingsReply(settings);
    else if (request.command == CmdChannelLevel)
        reply = MakeLevelReply(request.data[0], MeasureLevel(radio, request.data[0]));
    else
        return;
    Send(PackGroupMessage(reply), m_Faults.corruptReplies);
}

void CTransceiverModel::Send(std::span<const std::uint8_t> message, bool corrupt)
{
    SendNoise();
    m_Out.insert(m_Out.end(), message.begin(), message.end());
    if (corrupt)
        m_Out.back() ^= 0x01; // a good checksum has bit 7 clear, and so does this one
}

void CTransceiverModel::SendNoise()
{
    for (std::size_t i = 0; i < m_Faults.noiseBytes; ++i)
        m_Out.push_back(static_cast<std::uint8_t>(NextRandom() & 0x7F));
}

void CTransceiverModel::SendForeignMessages()
{
    // Traffic of other bus members, checksums filled in when sent: one message
    // of two fixed length classes and one that gives its own length.
    static constexpr std::array<std::uint8_t, 4> kFour = {0xA0, 0x12, 0x03, 0x00};
    static constexpr std::array<std::uint8_t, 6> kSix = {0xC4, 0x01, 0x02, 0x03, 0x04, 0x00};
    static constexpr std::array<std::uint8_t, 7> kCounted = {0xED, 0x07, 0x01, 0x20, 0x7F, 0x55, 0x00};
    for (std::span<const std::uint8_t> foreign : {std::span<const std::uint8_t>(kFour),
                                                  std::span<const std::uint8_t>(kSix),
                                                  std::span<const std::uint8_t>(kCounted)}) {
        std::array<std::uint8_t, kCounted.size()> message{};
        std::copy(foreign.begin(), foreign.end(), message.begin());
        const auto length = static_cast<std::int32_t>(foreign.size());
        message[foreign.size() - 1] = CalcChecksum(length - 1, message.data());
        Send(std::span(message).first(foreign.size()), false);
    }
}

std::int32_t CTransceiverModel::MeasureLevel(const Radio& radio, std::int32_t channel)
{
    if (channel < bus::kFirstChannel || channel > bus::kLastChannel)
        return 0;
    const std::int32_t base = radio.baseLevels[static_cast<std::size_t>(channel - bus::kFirstChannel)];
    const std::int32_t jitter = static_cast<std::int32_t>(NextRandom() % (2 * radio.jitter + 1)) - radio.jitter;
    return std::clamp(base + jitter, 0, 255);
}

void CTransceiverModel::ShapeLevels(Radio& radio)
{
    for (std::int32_t& level : radio.baseLevels)
        level = 6 + static_cast<std::int32_t>(NextRandom() % 20);
    // One or two busy neighbouring networks.
    const std::size_t busy = NextRandom() % kBusyBandStarts.size();
    const std::size_t alsoBusy = NextRandom() % (kBusyBandStarts.size() + 1); // may be none
    for (std::size_t band = 0; band < kBusyBandStarts.size(); ++band) {
        if (band != busy && band != alsoBusy)
            continue;
        const std::int32_t strength = 110 + static_cast<std::int32_t>(NextRandom() % 100);
        for (std::int32_t i = 0; i < 4; ++i) {
            const bool edge = i == 0 || i == 3;
            auto& level = radio.baseLevels[static_cast<std::size_t>(kBusyBandStarts[band] + i - bus::kFirstChannel)];
            level = std::max(level, edge ? strength * 3 / 5 : strength);
        }
    }
}

// splitmix64: small, fast and the same on every platform.
std::uint32_t CTransceiverModel::NextRandom()
{
    std::uint64_t z = (m_RandomState += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return static_cast<std::uint32_t>((z ^ (z >> 31)) >> 32);
}
