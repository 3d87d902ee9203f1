#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The client's side of a Telnet connection that carries a serial line with
// the COM port option (option 44): pure code, no I/O.
//
// Decode takes what the server sent and gives only the line's data bytes:
// doubled 0xFF bytes become one, option negotiation is answered (the answers
// wait in Answers() for the socket), subnegotiations are taken apart, and
// every other command is dropped, so nothing of Telnet reaches the framer.
// The server's answers to the line settings and its line-state
// notifications are kept for the port to read.
//
// Negotiation follows the rule that keeps both sides from looping: an
// option's state changes only on a request that would change it, and only a
// change is answered. The client offers binary mode both ways, suppressed
// go-ahead both ways and the COM port option on its side; it refuses any
// other option.
class CTelnetCodec {
public:
    // Telnet commands and options.
    static constexpr std::uint8_t kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251, kSb = 250, kSe = 240;
    static constexpr std::uint8_t kOptionBinary = 0, kOptionSuppressGoAhead = 3, kOptionComPort = 44;

    // COM port commands as the client sends them; the server answers each
    // with the command plus kServerOffset.
    enum ComPortCommand : std::uint8_t {
        kSetBaudRate = 1,
        kSetDataSize = 2,
        kSetParity = 3,
        kSetStopSize = 4,
        kSetControl = 5,
        kNotifyLineState = 6,
        kNotifyModemState = 7,
        kFlowControlSuspend = 8,
        kFlowControlResume = 9,
        kSetLineStateMask = 10,
        kSetModemStateMask = 11,
    };
    static constexpr std::uint8_t kServerOffset = 100;

    // Line-state bits of the server's notifications.
    static constexpr std::uint8_t kLineOverrun = 0x02, kLineParity = 0x04, kLineFraming = 0x08, kLineBreak = 0x10;

    // A subnegotiation longer than this is dropped whole (no COM port answer
    // comes near it; a server's signature text may).
    static constexpr std::size_t kMaxSubnegotiation = 64;

    // Line errors the server reported since the start, counted per kind.
    struct LineErrorCounts {
        long overrun = 0;
        long parity = 0;
        long framing = 0;
        long breaks = 0;
        bool operator==(const LineErrorCounts&) const = default;
    };

    CTelnetCodec();

    // What the client sends right after connecting: its option offers.
    std::vector<std::uint8_t> Greeting();

    // Takes bytes from the server; writes the data bytes among them to `data`
    // (which must have room for in.size() bytes) and returns their number.
    std::size_t Decode(std::span<const std::uint8_t> in, std::uint8_t* data);

    // Negotiation answers that Decode produced and that must go to the server.
    std::vector<std::uint8_t> TakeAnswers();

    // Appends line data to `out` with every 0xFF doubled.
    static void EncodeData(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out);
    // How many data bytes the first `encodedBytes` bytes of their encoding
    // carry whole.
    static std::size_t DataBytesIn(std::span<const std::uint8_t> data, std::size_t encodedBytes);

    // A COM port command with its value (4 bytes for the baud rate, 1 byte
    // for the others), as one subnegotiation.
    static std::vector<std::uint8_t> ComPortRequest(ComPortCommand command, std::uint32_t value);

    // The server's last answer to a command (its value as it reports it),
    // nothing when it has not answered since the last Forget.
    std::optional<std::uint32_t> Answer(ComPortCommand command) const;
    void Forget(ComPortCommand command);

    // True once the server agreed to the COM port option (DO 44).
    bool ComPortAgreed() const;
    // True once the server refused it (DONT 44 after the greeting's offer).
    bool ComPortRefused() const;
    const LineErrorCounts& LineErrors() const { return m_lineErrors; }
    // The last modem state the server reported (0 before any).
    std::uint8_t ModemState() const { return m_modemState; }
    // True while the server asked the client to stop sending.
    bool Suspended() const { return m_suspended; }

private:
    enum class State { Data, Command, Option, SubOption, SubData, SubCommand };
    enum class OptionState : std::uint8_t { No, WantYes, Yes };

    void Request(std::uint8_t verb, std::uint8_t option);
    void Negotiate(std::uint8_t verb, std::uint8_t option);
    void StartCommand(std::uint8_t command);
    void EndSubnegotiation();
    void TakeComPortMessage(std::span<const std::uint8_t> message);

    State m_state = State::Data;
    std::uint8_t m_verb = 0;
    std::vector<std::uint8_t> m_sub;  // the option byte first, then the data
    bool m_subOverlong = false;

    // Per option: this side's state (we WILL) and the server's (it WILLs).
    std::array<OptionState, 256> m_ours {};
    std::array<OptionState, 256> m_theirs {};
    std::vector<std::uint8_t> m_answers;

    std::array<std::optional<std::uint32_t>, kSetModemStateMask + 1> m_comPortAnswers {};
    LineErrorCounts m_lineErrors;
    std::uint8_t m_modemState = 0;
    bool m_suspended = false;
};
