#include "serial/TelnetCodec.h"

namespace {

// Options the client takes on its own side and on the server's.
bool WeWill(std::uint8_t option)
{
    return option == CTelnetCodec::kOptionBinary || option == CTelnetCodec::kOptionSuppressGoAhead
           || option == CTelnetCodec::kOptionComPort;
}

bool TheyMay(std::uint8_t option)
{
    return option == CTelnetCodec::kOptionBinary || option == CTelnetCodec::kOptionSuppressGoAhead;
}

}  // namespace

CTelnetCodec::CTelnetCodec()
{
    m_sub.reserve(kMaxSubnegotiation);
}

std::vector<std::uint8_t> CTelnetCodec::Greeting()
{
    for (const std::uint8_t option : {kOptionBinary, kOptionSuppressGoAhead, kOptionComPort}) {
        m_ours[option] = OptionState::WantYes;
        Request(kWill, option);
    }
    for (const std::uint8_t option : {kOptionBinary, kOptionSuppressGoAhead}) {
        m_theirs[option] = OptionState::WantYes;
        Request(kDo, option);
    }
    return TakeAnswers();
}

void CTelnetCodec::Request(std::uint8_t verb, std::uint8_t option)
{
    m_answers.insert(m_answers.end(), {kIac, verb, option});
}

std::vector<std::uint8_t> CTelnetCodec::TakeAnswers()
{
    std::vector<std::uint8_t> answers;
    answers.swap(m_answers);
    return answers;
}

void CTelnetCodec::Negotiate(std::uint8_t verb, std::uint8_t option)
{
    // WILL/WONT speak of the server's side, DO/DONT of ours.
    const bool aboutUs = verb == kDo || verb == kDont;
    const bool enable = verb == kWill || verb == kDo;
    OptionState& state = aboutUs ? m_ours[option] : m_theirs[option];
    const bool acceptable = aboutUs ? WeWill(option) : TheyMay(option);
    const std::uint8_t agree = aboutUs ? kWill : kDo;
    const std::uint8_t refuse = aboutUs ? kWont : kDont;

    if (enable) {
        if (state == OptionState::Yes)
            return;
        if (state == OptionState::WantYes) {
            state = OptionState::Yes;  // the answer to our own request
            return;
        }
        if (acceptable) {
            state = OptionState::Yes;
            Request(agree, option);
        } else {
            Request(refuse, option);
        }
    } else {
        if (state == OptionState::No)
            return;
        const bool wasEnabled = state == OptionState::Yes;
        state = OptionState::No;
        if (wasEnabled)
            Request(refuse, option);
    }
}

void CTelnetCodec::StartCommand(std::uint8_t command)
{
    switch (command) {
    case kWill:
    case kWont:
    case kDo:
    case kDont:
        m_verb = command;
        m_state = State::Option;
        break;
    case kSb:
        m_sub.clear();
        m_subOverlong = false;
        m_state = State::SubOption;
        break;
    default:
        m_state = State::Data;  // NOP, go-ahead, data mark and the like carry nothing
        break;
    }
}

std::size_t CTelnetCodec::Decode(std::span<const std::uint8_t> in, std::uint8_t* data)
{
    std::size_t count = 0;
    for (const std::uint8_t byte : in) {
        switch (m_state) {
        case State::Data:
            if (byte == kIac)
                m_state = State::Command;
            else
                data[count++] = byte;
            break;
        case State::Command:
            if (byte == kIac) {
                data[count++] = byte;
                m_state = State::Data;
            } else {
                StartCommand(byte);
            }
            break;
        case State::Option:
            Negotiate(m_verb, byte);
            m_state = State::Data;
            break;
        case State::SubOption:
        case State::SubData:
            if (byte == kIac) {
                m_state = State::SubCommand;
                break;
            }
            if (m_sub.size() < kMaxSubnegotiation)
                m_sub.push_back(byte);
            else
                m_subOverlong = true;
            m_state = State::SubData;
            break;
        case State::SubCommand:
            if (byte == kIac) {
                if (m_sub.size() < kMaxSubnegotiation)
                    m_sub.push_back(byte);
                else
                    m_subOverlong = true;
                m_state = State::SubData;
            } else if (byte == kSe) {
                EndSubnegotiation();
                m_state = State::Data;
            } else {
                // A command inside a subnegotiation: the subnegotiation was
                // cut off. It is dropped and the command taken as such.
                StartCommand(byte);
            }
            break;
        }
    }
    return count;
}

void CTelnetCodec::EndSubnegotiation()
{
    if (m_subOverlong || m_sub.empty() || m_sub[0] != kOptionComPort)
        return;
    TakeComPortMessage(std::span(m_sub).subspan(1));
}

void CTelnetCodec::TakeComPortMessage(std::span<const std::uint8_t> message)
{
    if (message.empty() || message[0] <= kServerOffset)
        return;  // a client's command echoed, or the signature: nothing to take
    const int command = message[0] - kServerOffset;
    const std::span<const std::uint8_t> value = message.subspan(1);
    switch (command) {
    case kSetBaudRate:
        if (value.size() == 4)
            m_comPortAnswers[command] = std::uint32_t(value[0]) << 24 | std::uint32_t(value[1]) << 16
                                        | std::uint32_t(value[2]) << 8 | value[3];
        break;
    case kSetDataSize:
    case kSetParity:
    case kSetStopSize:
    case kSetControl:
    case kSetLineStateMask:
    case kSetModemStateMask:
        if (value.size() == 1)
            m_comPortAnswers[command] = value[0];
        break;
    case kNotifyLineState:
        if (value.size() == 1) {
            m_lineErrors.overrun += (value[0] & kLineOverrun) != 0;
            m_lineErrors.parity += (value[0] & kLineParity) != 0;
            m_lineErrors.framing += (value[0] & kLineFraming) != 0;
            m_lineErrors.breaks += (value[0] & kLineBreak) != 0;
        }
        break;
    case kNotifyModemState:
        if (value.size() == 1)
            m_modemState = value[0];
        break;
    case kFlowControlSuspend: m_suspended = true; break;
    case kFlowControlResume: m_suspended = false; break;
    default: break;
    }
}

void CTelnetCodec::EncodeData(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out)
{
    for (const std::uint8_t byte : data) {
        out.push_back(byte);
        if (byte == kIac)
            out.push_back(kIac);
    }
}

std::size_t CTelnetCodec::DataBytesIn(std::span<const std::uint8_t> data, std::size_t encodedBytes)
{
    std::size_t whole = 0;
    for (const std::uint8_t byte : data) {
        const std::size_t size = byte == kIac ? 2 : 1;
        if (size > encodedBytes)
            break;
        encodedBytes -= size;
        ++whole;
    }
    return whole;
}

std::vector<std::uint8_t> CTelnetCodec::ComPortRequest(ComPortCommand command, std::uint32_t value)
{
    std::vector<std::uint8_t> bytes;
    if (command == kSetBaudRate)
        bytes = {std::uint8_t(value >> 24), std::uint8_t(value >> 16), std::uint8_t(value >> 8), std::uint8_t(value)};
    else
        bytes = {std::uint8_t(value)};
    std::vector<std::uint8_t> out = {kIac, kSb, kOptionComPort, command};
    EncodeData(bytes, out);
    out.insert(out.end(), {kIac, kSe});
    return out;
}

std::optional<std::uint32_t> CTelnetCodec::Answer(ComPortCommand command) const
{
    return command < m_comPortAnswers.size() ? m_comPortAnswers[command] : std::nullopt;
}

void CTelnetCodec::Forget(ComPortCommand command)
{
    if (command < m_comPortAnswers.size())
        m_comPortAnswers[command].reset();
}

bool CTelnetCodec::ComPortAgreed() const
{
    return m_ours[kOptionComPort] == OptionState::Yes;
}

bool CTelnetCodec::ComPortRefused() const
{
    return m_ours[kOptionComPort] == OptionState::No;
}
