#pragma once

#include "bus/BusLimits.h"
#include "bus/BusFramer.h"
#include "bus/GroupMessage.h"
#include "bus/GroupReply.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// Ways the modelled bus can break the transceiver contract, for tests and the simulator.
struct TransceiverFaults {
    bool dropEchoes = false;
    bool dropReplies = false;
    bool corruptEchoes = false;   // echoes arrive with a wrong checksum
    bool corruptReplies = false;  // replies arrive with a wrong checksum
    std::size_t noiseBytes = 0;   // stray data bytes (bit 7 clear) before every message sent back
    bool foreignMessages = false; // messages of other opcodes after the answers to each message
    // A second transceiver that also answers every Get and level query, after
    // the first, with these settings and levels of its own. Writes reach only the first.
    std::optional<bus::RadioSettings> secondTransceiver;
    std::size_t floodBytes = 0;   // data bytes (0x00-0x7F counting) after the answers to each message
};

// The device side of the bus: the bus interface and the radio transceiver.
// Fed the bytes the program writes, in any chunking, it returns the bytes the
// bus sends back: the echo of every good message first, then the settings reply
// to a Get and a level reply to each level query. The four writes change the
// stored settings, so a later Get returns them.
class CTransceiverModel {
public:
    static constexpr std::int32_t kLevelJitter = 12;

    static bus::RadioSettings DefaultSettings() { return {"Olv12345", 0, 11, 0}; }

    // `seed` fixes which channels are busy and the jitter of the levels.
    explicit CTransceiverModel(bus::RadioSettings start = DefaultSettings(), std::uint32_t seed = 1);

    std::vector<std::uint8_t> Feed(std::span<const std::uint8_t> written);

    // Faults may be switched at any time; they act on the next message received.
    TransceiverFaults& Faults() { return m_Faults; }
    const TransceiverFaults& Faults() const { return m_Faults; }

    // The stored settings; after a name write the name holds the 8 bytes as
    // written, blanks included.
    const bus::RadioSettings& Settings() const { return m_First.settings; }
    // Every good group configuration message received, in order.
    const std::vector<bus::GroupMessageFields>& Received() const { return m_Received; }
    // Received messages dropped for a bad checksum.
    std::uint64_t BadMessageCount() const { return m_Framer.BadChecksumCount(); }

    using LevelTable = std::array<std::int32_t, bus::kChannelCount>; // channel 11 first

    // Fixes the levels the (first) transceiver reports, channel 11 first,
    // exactly and without jitter.
    void SetLevels(const LevelTable& levels);

    // The level a channel reads without jitter: a quiet floor, with a hump
    // where a busy neighbouring network overlaps. 0 outside channels 11-26.
    std::int32_t BaseLevel(std::int32_t channel) const;

private:
    struct Radio {
        bus::RadioSettings settings;
        LevelTable baseLevels{};
        std::int32_t jitter = kLevelJitter;
    };

    void OnMessage(std::span<const std::uint8_t> message);
    void ApplyWrite(const bus::GroupMessageFields& fields);
    void Send(std::span<const std::uint8_t> message, bool corrupt);
    void SendNoise();
    void SendForeignMessages();
    std::int32_t MeasureLevel(const Radio& radio, std::int32_t channel);
    std::uint32_t NextRandom();
    void ShapeLevels(Radio& radio);
    void Answer(const bus::RadioSettings& settings, const Radio& radio,
                const bus::GroupMessageFields& request);

    CBusFramer m_Framer;
    Radio m_First;
    Radio m_Second;
    TransceiverFaults m_Faults;
    std::vector<bus::GroupMessageFields> m_Received;
    std::vector<std::uint8_t> m_Out;
    std::uint64_t m_RandomState;
};
