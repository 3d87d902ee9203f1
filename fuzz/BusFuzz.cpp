// Any byte sequence is safe for the bus core. The input is read as:
//   byte 0: bit 0 = an echo is awaited at the start; bits 1-6 = transceiver faults
//   byte 1: stray bytes the transceiver puts before each message it sends (0-7)
//   then segments: a control byte (bit 0 = a line error, bits 2-7 the
//   number of bytes that arrive at the port before the event) and those bytes.
// The same bytes, taken as what the program writes, also go to the transceiver
// model, whose answer is framed again. Broken invariants abort.
#include "bus/BusFramer.h"
#include "bus/GroupReply.h"
#include "bus/GroupRequests.h"
#include "bus/Latin1.h"
#include "bus/TransceiverModel.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

bool IsGoodMessage(std::span<const std::uint8_t> m)
{
    if (m.size() < 2 || m.size() > CBusFramer::kMaxMessageLength || (m[0] & 0x80) == 0)
        return false;
    std::uint8_t x = 0;
    for (std::size_t i = 0; i < m.size(); ++i) {
        if (i > 0 && (m[i] & 0x80) != 0)
            return false;
        x ^= m[i];
    }
    return x == 0xFF;
}

void CheckReply(std::span<const std::uint8_t> m)
{
    Require(m.size() == bus::kGroupMessageSize && m[0] == bus::kGroupOpcode && m[1] == bus::kGroupLength
            && m[3] == bus::DirReply);
    const bus::GroupMessageFields fields = bus::UnpackGroupMessage(m.first<bus::kGroupMessageSize>());
    Require(bus::UnpackGroupMessage(bus::PackGroupMessage(fields)) == fields);
    const bus::GroupReply reply = bus::DecodeGroupReply(fields);
    if (const auto* settings = std::get_if<bus::RadioSettings>(&reply)) {
        Require(bus::Utf8Length(settings->name) <= bus::kNameLength);
        Require(bus::Latin1ToUtf8(bus::Utf8ToLatin1(settings->name)) == settings->name);
        Require(settings->pwKey >= 0 && settings->pwKey <= 16665);
        Require(bus::DecodeGroupReply(bus::MakeSettingsReply(*settings)).index() == reply.index());
    }
}

void CheckFramer(const CBusFramer& framer)
{
    Require(framer.RxIndex() >= 0 && framer.RxIndex() <= CBusFramer::kMaxMessageLength);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::uint8_t flags = data[0];
    const std::span<const std::uint8_t> rest(data + 2, size - 2);

    // The program's side: bytes arrive at the port and events come in.
    CBusFramer framer;
    if (flags & 0x01)
        framer.ExpectEcho();
    framer.SetGroupMessageHandler(CheckReply);
    framer.SetMessageObserver([](std::span<const std::uint8_t> m) { Require(IsGoodMessage(m)); });
    // A segment arrives as data, or after a line error that discards it.
    for (std::size_t pos = 0; pos < rest.size();) {
        const std::uint8_t control = rest[pos++];
        const std::size_t count = std::min<std::size_t>(control >> 2, rest.size() - pos);
        if (control & 0x01)
            framer.RestartReceive();
        else
            framer.ProcessRxBytes(rest.subspan(pos, count));
        pos += count;
        CheckFramer(framer);
    }

    // The device side: the same bytes as the program's writes.
    CTransceiverModel model({}, flags);
    TransceiverFaults& faults = model.Faults();
    faults.dropEchoes = (flags & 0x02) != 0;
    faults.dropReplies = (flags & 0x04) != 0;
    faults.corruptEchoes = (flags & 0x08) != 0;
    faults.corruptReplies = (flags & 0x10) != 0;
    faults.foreignMessages = (flags & 0x20) != 0;
    if (flags & 0x40)
        faults.secondTransceiver = bus::RadioSettings{"Second", 9999, 26, 127};
    faults.noiseBytes = data[1] & 0x07;
    const std::vector<std::uint8_t> answer = model.Feed(rest);
    CBusFramer listener;
    listener.SetGroupMessageHandler(CheckReply);
    listener.ProcessRxBytes(answer);
    CheckFramer(listener);
    if (!faults.corruptEchoes && !faults.corruptReplies)
        Require(listener.BadChecksumCount() == 0);

    // Names from arbitrary text.
    const std::string text(reinterpret_cast<const char*>(rest.data()), rest.size());
    Require(bus::Utf8ToLatin1(bus::Latin1ToUtf8(text)) == text);
    const bus::GroupMessageFields nameWrite = bus::MakeNameWrite(text);
    Require(bus::Utf8Length(bus::PadName(text)) >= bus::kNameLength);
    Require(std::all_of(nameWrite.data.begin() + 8, nameWrite.data.end(), [](std::uint8_t b) { return b == 0; }));
    return 0;
}
