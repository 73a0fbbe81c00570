// What the simulator's tests share: the station's commands, and a way to read frames back.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "link/frame.h"
#include "sim/frame_finder.h"

namespace quillon::sim::testing {

inline Payload Command(std::uint8_t kind, std::uint8_t detail) {
  Payload payload{};
  payload[0] = kind;
  payload[1] = detail;
  return payload;
}

inline Payload AddressCommand(std::uint8_t kind, std::uint32_t address) {
  Payload payload = Command(kind, kSubcommandAddress);
  payload[2] = static_cast<std::uint8_t>(address >> 16);
  payload[3] = static_cast<std::uint8_t>(address >> 8);
  payload[4] = static_cast<std::uint8_t>(address);
  return payload;
}

inline std::vector<std::uint8_t> Frame(const Payload& payload) {
  std::vector<std::uint8_t> frame(kFrameSize);
  std::copy(kFrameHeader.begin(), kFrameHeader.end(), frame.begin());
  std::copy(payload.begin(), payload.end(), frame.begin() + kFrameHeaderSize);
  return frame;
}

// The station's page write: the address, then chunks 0..7.
inline std::vector<Payload> PageWrite(std::uint32_t address, const std::vector<std::uint8_t>& page) {
  std::vector<Payload> commands{AddressCommand(kCommandWrite, address)};
  for (std::size_t chunk = 0; chunk < kChunksPerPage; ++chunk) {
    commands.push_back(Command(kCommandWrite, static_cast<std::uint8_t>(kSubcommandFirstChunk + chunk)));
    std::copy_n(page.begin() + static_cast<std::ptrdiff_t>(chunk * kChunkSize), kChunkSize,
                commands.back().begin() + 2);
  }
  return commands;
}

// Bytes that differ from their neighbours and from erased flash, so a misplaced chunk shows.
inline std::vector<std::uint8_t> SamplePage(std::uint8_t seed) {
  std::vector<std::uint8_t> page(kPageSize);
  for (std::size_t i = 0; i < page.size(); ++i) page[i] = static_cast<std::uint8_t>(seed + i * 7);
  return page;
}

inline std::vector<Payload> Frames(const std::vector<std::uint8_t>& bytes) {
  FrameFinder finder;
  std::vector<Payload> payloads;
  for (const std::uint8_t byte : bytes) {
    if (std::optional<Payload> payload = finder.Push(byte)) payloads.push_back(*payload);
  }
  return payloads;
}

inline bool IsHandshakeReply(const Payload& payload) {
  return std::equal(kHandshakeReply.begin(), kHandshakeReply.end(), payload.begin());
}

}  // namespace quillon::sim::testing
