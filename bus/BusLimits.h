#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

// The numbers the bus and the transceiver fix, in one place: the line speed,
// the ports the program offers and the ranges of the radio group settings.
// Header only and free of any other include of this project, so every layer
// (the serial layer's port table included) may use it.
namespace bus {

// The bus line: 16457 baud, 8 data bits, no parity, one stop bit.
inline constexpr std::uint32_t kBusBaudRate = 16457;
// The speeds a line may be given (a bus interface of the user's may run at
// another speed than the bus): the lowest standard rate up to what USB
// serial bridges reach.
inline constexpr std::uint32_t kMinBaudRate = 50;
inline constexpr std::uint32_t kMaxBaudRate = 4'000'000;
// A start bit, eight data bits and a stop bit.
inline constexpr int kBitsPerByte = 10;

// How long one byte takes on a line of the given speed.
constexpr std::chrono::nanoseconds ByteTime(std::uint32_t baudRate)
{
    return std::chrono::nanoseconds(1'000'000'000ll * kBitsPerByte / baudRate);
}

// The ports the program offers: COM1 to COM20.
inline constexpr int kFirstComPort = 1;
inline constexpr int kLastComPort = 20;

// The radio group settings.
inline constexpr std::size_t kNameLength = 8; // characters, blank-filled on the wire
inline constexpr std::int32_t kMinPasswordKey = 0;
inline constexpr std::int32_t kMaxPasswordKey = 9999;
inline constexpr std::int32_t kFirstChannel = 11;
inline constexpr std::int32_t kLastChannel = 26;
inline constexpr std::int32_t kChannelCount = kLastChannel - kFirstChannel + 1;
inline constexpr std::int32_t kMinGroupId = 0;
inline constexpr std::int32_t kMaxGroupId = 127;

} // namespace bus
