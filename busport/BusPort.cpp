#include "busport/BusPort.h"

#include "bus/GroupRequests.h"
#include "busport/SerialResult.h"
#include "serial/SerialLine.h"
#include "serial/Sockets.h"

#include <algorithm>
#include <array>

using namespace win32;

namespace busport {
namespace {

// Sent messages whose late echo is still recognised.
constexpr std::size_t kEchoesAwaited = 256;

int HandshakeOf(Flow flow)
{
    return flow == Flow::RtsCts ? CSerialLine::HandshakeRtsDtr : CSerialLine::HandshakeNone;
}

bool IsGroupReply(std::span<const std::uint8_t> message)
{
    return message.size() == bus::kGroupMessageSize && message[0] == bus::kGroupOpcode
        && message[1] == bus::kGroupLength && message[3] == bus::DirReply;
}

} // namespace

CBusPort::CBusPort() : CBusPort(std::make_unique<CSerialLine>()) {}

CBusPort::CBusPort(std::unique_ptr<CSerialLine> line) : m_line(std::move(line))
{
    m_framer.SetMessageObserver([this](std::span<const std::uint8_t> message) { OnGoodMessage(message); });
    m_framer.SetBadMessageObserver([this](std::span<const std::uint8_t> message) { OnBadMessage(message); });
}

CBusPort::~CBusPort() = default;

void CBusPort::Close()
{
    m_line->Close();
}

bool CBusPort::IsOpen() const
{
    return m_line->IsOpen();
}

void CBusPort::SetConnectTimeout(std::chrono::milliseconds timeout)
{
    m_line->SetConnectTimeout(DWORD(timeout.count()));
}

void CBusPort::SetBadMessageObserver(BadMessageObserver observer)
{
    m_badMessageObserver = std::move(observer);
}

Heard Heard::Since(const Heard& before) const
{
    return {bytes - before.bytes, messageBytes - before.messageBytes, messages - before.messages, ours - before.ours,
            badChecksums - before.badChecksums};
}

bus::LineError CBusPort::Open(const std::string& device, const LineSettings& settings, const Opener& open)
{
    if (m_line->IsOpen())
        m_line->Close();
    m_framer.Reset();
    m_failure = {};
    m_bytesSent = 0;
    m_heard = {};
    m_unechoed.clear();
    m_sendsWithoutEcho = 0;
    m_echoesAtGiveUp = 0;
    m_echoes = 0;
    m_lastEchoSeen = false;
    const bool opened = open ? open(device.c_str()) : m_line->Open(device.c_str(), kQueueSize, kQueueSize, true) == 0;
    if (!opened)
        return LineErrorOf(m_line->GetLastError(), m_line->GetLastSystemError());
    // Each step runs only when the ones before it succeeded.
    LONG result = m_line->Setup(settings.baud, 8, NOPARITY, ONESTOPBIT);
    if (result == 0)
        result = m_line->SetMask(EV_RXCHAR | EV_ERR);
    if (result == 0)
        result = m_line->SetHandshake(HandshakeOf(settings.flow));
    if (result == 0)
        result = m_line->SetReadTimeoutMode(CSerialLine::ReadModeImmediate);
    if (result != 0) {
        const bus::LineError error = LineErrorOf(result, m_line->GetLastSystemError());
        m_line->Close();
        return error;
    }
    m_bReplySeen = false;
    return {};
}

bus::LineError CBusPort::Keep(const bus::LineError& error)
{
    if (error && !m_failure)
        m_failure = error;
    return error;
}

void CBusPort::OnSerialEvent(std::uint32_t eventWord)
{
    bool filled = false;
    ReadAndFrame(eventWord, filled);
}

bus::LineError CBusPort::ReadAndFrame(std::uint32_t eventWord, bool& filled)
{
    filled = false;
    // The low 16 bits are the event; the line error's flags ride above them.
    const std::uint32_t event = eventWord & 0xFFFF;
    if (event != EV_RXCHAR && event != EV_ERR)
        return {};
    std::array<std::uint8_t, kSerialReadSize> buffer;
    DWORD count = 0;
    const bus::LineError result
        = Keep(LineErrorOf(m_line->Read(buffer.data(), DWORD(buffer.size()), &count, nullptr, INFINITE),
                           m_line->GetLastSystemError()));
    if (result)
        count = 0;
    m_heard.bytes += count;
    filled = count == buffer.size();
    if (event == EV_RXCHAR) {
        m_framer.ProcessRxBytes(std::span(buffer).first(count));
    } else {
        m_framer.RestartReceive(); // what was read is discarded
        if (m_lineErrorObserver)
            m_lineErrorObserver(eventWord >> 16);
    }
    return result;
}

bus::LineError CBusPort::WaitForEvent(std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    const LONG waited = m_line->WaitForPortEvent(nullptr, DWORD(timeout.count()));
    if (waited == ERROR_TIMEOUT)
        return {};
    if (waited != 0)
        return Keep(LineErrorOf(waited, m_line->GetLastSystemError()));
    // A wait reports new bytes only: what one read left behind is read now,
    // until the wait's end: a peer that never stops sending cannot hold it.
    const std::uint32_t events = m_line->GetPendingEvents();
    bool filled = true;
    bus::LineError result;
    do
        result = ReadAndFrame(events, filled);
    while (filled && !result && std::chrono::steady_clock::now() < end);
    return result;
}

void CBusPort::OnGoodMessage(std::span<const std::uint8_t> message)
{
    const auto echoed = std::find_if(m_unechoed.begin(), m_unechoed.end(), [&message](const auto& sent) {
        return std::equal(message.begin(), message.end(), sent.begin(), sent.end());
    });
    const bool echo = echoed != m_unechoed.end();
    if (echo) {
        m_lastEchoSeen = m_lastEchoSeen || echoed + 1 == m_unechoed.end();
        m_unechoed.erase(echoed);
        ++m_echoes;
    }
    ++m_heard.messages;
    m_heard.messageBytes += message.size();
    if (echo || IsGroupReply(message))
        ++m_heard.ours;
    if (m_messageObserver)
        m_messageObserver(message, echo);
    if (!IsGroupReply(message))
        return;
    const bus::GroupReply reply
        = bus::DecodeGroupReply(bus::UnpackGroupMessage(message.first<bus::kGroupMessageSize>()));
    if (std::holds_alternative<bus::RadioSettings>(reply))
        m_bReplySeen = true;
    if (m_replyHandler)
        m_replyHandler(reply);
}

void CBusPort::OnBadMessage(std::span<const std::uint8_t> message)
{
    ++m_heard.badChecksums;
    m_heard.messageBytes += message.size();
    if (m_badMessageObserver)
        m_badMessageObserver(message);
}

void CBusPort::AwaitEcho(const Pause& pause)
{
    for (int i = 0; m_framer.AwaitingEcho() && i < kEchoPauses; ++i)
        pause(kEchoPause);
    m_framer.StopAwaitingEcho();
}

bus::LineError CBusPort::Send(const bus::GroupMessageFields& fields, const Pause& pause)
{
    AwaitEcho(pause);
    const bus::GroupMessageBytes message = bus::PackGroupMessage(fields);
    DWORD written = 0;
    bus::LineError result = Keep(LineErrorOf(
        m_line->Write(message.data(), DWORD(message.size()), &written, nullptr, DWORD(m_writeTimeout.count())),
        m_line->GetLastSystemError()));
    m_bytesSent += written;
    if (!result && written != message.size())
        result = Keep({bus::LineFault::TimedOut, {}});
    if (result)
        return result;
    m_framer.ExpectEcho();
    m_unechoed.push_back(message);
    m_lastEchoSeen = false;
    if (m_unechoed.size() > kEchoesAwaited) {
        m_unechoed.pop_front();
        ++m_sendsWithoutEcho;
        m_echoesAtGiveUp = m_echoes;
    }
    return {};
}

bus::LineError CBusPort::SendGetRequest(const Pause& pause)
{
    m_bReplySeen = false;
    return Send(bus::MakeSettingsRequest(), pause);
}

bus::LineError CBusPort::SendLevelQuery(int channel, const Pause& pause)
{
    return Send(bus::MakeLevelQuery(channel), pause);
}

CBusPort::WritesSent CBusPort::SendWrites(const bus::RadioSettings& settings, const Pause& pause,
                                          const std::function<bool()>& goOn)
{
    const auto writes = bus::MakeSettingsWrites(settings.name, settings.rfChannel, settings.netWorkId, settings.pwKey);
    WritesSent sent;
    for (const bus::GroupMessageFields& write : writes) {
        AwaitEcho(pause); // here, so that a stop asked for during it keeps this write back
        if (goOn && !goOn())
            return sent;
        if ((sent.error = Send(write, pause)))
            return sent;
        ++sent.count;
    }
    return sent;
}

bool CBusPort::EchoesMissing() const
{
    // Echoes still on their way are not missing.
    if (m_sendsWithoutEcho > 0)
        return m_echoes == m_echoesAtGiveUp;
    return m_echoes == 0 && !m_unechoed.empty();
}

NoAnswer CBusPort::WhyNoAnswer(std::uint64_t badChecksumsBefore) const
{
    if (m_failure)
        return NoAnswer::LineFault;
    if (BadChecksums() > badChecksumsBefore)
        return NoAnswer::BadChecksum;
    return m_lastEchoSeen ? NoAnswer::NoReply : NoAnswer::NoEcho;
}

} // namespace busport
