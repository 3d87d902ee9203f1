#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>

// Cuts the received byte stream into bus messages and verifies their checksums.
// The first good message after a send is that send's echo; a good group
// configuration reply (0xE5 0x14, direction 0x10) arriving when no echo is
// awaited goes to the group message handler. Works on a fixed buffer and
// allocates nothing.
class CBusFramer {
public:
    enum RxState : std::int32_t { WaitOpcode = 0, WaitCount = 1, Body = 2, WaitChecksum = 3 };

    // The longest message that can complete; the count byte cannot raise it.
    static constexpr std::int32_t kMaxMessageLength = 32;

    using MessageHandler = std::function<void(std::span<const std::uint8_t> message)>;

    // Gets each qualifying group configuration reply (always 20 bytes).
    void SetGroupMessageHandler(MessageHandler handler);
    // Sees every good message of any opcode, echoes included (a bus monitor).
    void SetMessageObserver(MessageHandler observer);
    // Sees every message dropped for a bad checksum, as it was received.
    void SetBadMessageObserver(MessageHandler observer);

    void ProcessRxByte(std::uint8_t b);
    void ProcessRxBytes(std::span<const std::uint8_t> bytes);

    // After a line error: the next opcode starts a fresh message.
    void RestartReceive();
    // When the port is (re)opened: receive state and the echo flag back to zero.
    void Reset();

    // A message went out: the next good message is its echo.
    void ExpectEcho() { m_bAwaitingEcho = true; }
    // The echo wait gave up, or the send failed: the next good message is
    // taken as it comes.
    void StopAwaitingEcho() { m_bAwaitingEcho = false; }

    bool AwaitingEcho() const { return m_bAwaitingEcho; }

    RxState State() const { return m_nRxState; }
    std::int32_t RxIndex() const { return m_nRxIndex; }
    std::int32_t RxLength() const { return m_nRxLength; }
    std::uint64_t BadChecksumCount() const { return m_nBadChecksums; }

private:
    void CompleteMessage();

    bool m_bAwaitingEcho = false; // set by a successful send, cleared by the next good message

    std::array<std::uint8_t, kMaxMessageLength> m_RxBuf{};
    std::int32_t m_nRxIndex = 0;
    RxState m_nRxState = WaitOpcode;
    std::int32_t m_nRxLength = 0;
    std::uint8_t m_nRxXor = 0; // of the bytes stored for the current message
    std::uint64_t m_nBadChecksums = 0;
    MessageHandler m_GroupMessageHandler;
    MessageHandler m_MessageObserver;
    MessageHandler m_BadMessageObserver;
};
