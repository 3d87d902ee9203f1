#include "bus/BusFramer.h"

#include "bus/GroupMessage.h"

#include <utility>

void CBusFramer::SetGroupMessageHandler(MessageHandler handler)
{
    m_GroupMessageHandler = std::move(handler);
}

void CBusFramer::SetMessageObserver(MessageHandler observer)
{
    m_MessageObserver = std::move(observer);
}

void CBusFramer::SetBadMessageObserver(MessageHandler observer)
{
    m_BadMessageObserver = std::move(observer);
}

void CBusFramer::ProcessRxByte(std::uint8_t b)
{
    // A message longer than the buffer: the byte arriving at the bound is
    // dropped, even an opcode, and the framer waits for the next opcode.
    if (m_nRxIndex >= kMaxMessageLength) {
        m_nRxIndex = 0;
        m_nRxState = WaitOpcode;
        return;
    }
    const bool isOpcode = (b & 0x80) != 0;
    if (isOpcode) {
        m_nRxIndex = 0;
        m_nRxXor = 0;
        m_nRxState = WaitOpcode;
    } else if (m_nRxState == WaitOpcode) {
        return; // a data byte between messages takes no room in the buffer
    }
    m_RxBuf[m_nRxIndex++] = b;
    m_nRxXor ^= b;

    switch (m_nRxState) {
    case WaitOpcode:
        switch ((b >> 5) & 0x03) {
        case 0: m_nRxLength = 2; m_nRxState = WaitChecksum; break;
        case 1: m_nRxLength = 4; m_nRxState = Body; break;
        case 2: m_nRxLength = 6; m_nRxState = Body; break;
        default: m_nRxState = WaitCount; break; // length follows
        }
        break;
    case WaitCount:
        m_nRxLength = b; // a count below 4 still needs a body byte and a checksum
        m_nRxState = Body;
        break;
    case Body:
        if (m_nRxIndex >= m_nRxLength - 1)
            m_nRxState = WaitChecksum;
        break;
    case WaitChecksum:
        CompleteMessage();
        break;
    }
}

void CBusFramer::ProcessRxBytes(std::span<const std::uint8_t> bytes)
{
    for (std::uint8_t b : bytes)
        ProcessRxByte(b);
}

void CBusFramer::CompleteMessage()
{
    const std::int32_t length = m_nRxIndex;
    // A finished message, good or bad, leaves the whole buffer to the next one.
    m_nRxState = WaitOpcode;
    m_nRxIndex = 0;
    const std::span<const std::uint8_t> message(m_RxBuf.data(), static_cast<std::size_t>(length));
    if (m_nRxXor != 0xFF) { // the checksum makes the XOR of a good message 0xFF
        ++m_nBadChecksums; // dropped; an awaited echo stays awaited
        if (m_BadMessageObserver)
            m_BadMessageObserver(message);
        return;
    }
    const bool isReply = !m_bAwaitingEcho && m_RxBuf[0] == bus::kGroupOpcode && m_RxBuf[1] == bus::kGroupLength
                         && m_RxBuf[3] == bus::DirReply;
    // The flag first, so a handler that sends again finds it as the send left it.
    m_bAwaitingEcho = false;
    if (m_MessageObserver)
        m_MessageObserver(message);
    if (isReply && m_GroupMessageHandler)
        m_GroupMessageHandler(message);
}

void CBusFramer::RestartReceive()
{
    m_nRxState = WaitOpcode;
    m_nRxLength = 0;
}

void CBusFramer::Reset()
{
    m_nRxState = WaitOpcode;
    m_nRxLength = 0;
    m_nRxIndex = 0;
    m_bAwaitingEcho = false;
}
