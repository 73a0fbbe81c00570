// The device's frame format and command set, shared by the station and the device simulator.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace quillon {

// Every serial frame starts with these five bytes; they also resynchronise the receiver.
inline constexpr std::array<std::uint8_t, 5> kFrameHeader = {0x81, 0x18, 0x11, 0xAA, 0xDD};

inline constexpr std::size_t kFrameHeaderSize = kFrameHeader.size();
inline constexpr std::size_t kPayloadSize = 34;
inline constexpr std::size_t kFrameSize = kFrameHeaderSize + kPayloadSize;  // 39, no length or checksum

// Payload byte 0 of each command.
inline constexpr std::uint8_t kCommandOpenJob = 'c';
inline constexpr std::uint8_t kCommandWrite = 'f';     // byte 1: 0x80 address, 0x90 + i chunk i
inline constexpr std::uint8_t kCommandReadBack = 'h';  // byte 1: 0x80 address
inline constexpr std::uint8_t kCommandReadRequest = 'r';
inline constexpr std::uint8_t kCommandHandshake = 'W';

inline constexpr std::uint8_t kSubcommandAddress = 0x80;
inline constexpr std::uint8_t kSubcommandFirstChunk = 0x90;

inline constexpr std::size_t kPageSize = 256;
inline constexpr std::size_t kChunkSize = 32;
inline constexpr std::size_t kChunksPerPage = kPageSize / kChunkSize;

// A handshake reply's payload begins with these four bytes.
inline constexpr std::array<std::uint8_t, 4> kHandshakeReply = {'W', 'T', 'R', 'D'};

// Serial wait: an acknowledgement ends after a header and 4 payload bytes, a read-back reply after a
// whole frame.
inline constexpr std::uint32_t kAcknowledgementBytes = kFrameHeaderSize + 4;
inline constexpr std::uint32_t kReplyBytes = kFrameSize;

// Wait allowances, in half-second ticks of the dialog timer.
inline constexpr std::uint8_t kCommandWaitTicks = 6;
inline constexpr std::uint8_t kOpenJobWaitTicks = 16;

}  // namespace quillon
