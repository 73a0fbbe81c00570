// Builders for the commands a station sends, shared by the simulator's tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "link/frame.h"
#include "sim/device_faults.h"
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

inline Payload ChunkCommand(std::size_t chunk, const std::vector<std::uint8_t>& page) {
  Payload payload = Command(kCommandWrite, static_cast<std::uint8_t>(kSubcommandFirstChunk + chunk));
  std::copy_n(page.begin() + static_cast<std::ptrdiff_t>(chunk * kChunkSize), kChunkSize,
              payload.begin() + 2);
  return payload;
}

inline std::vector<std::uint8_t> Frame(const Payload& payload) {
  std::vector<std::uint8_t> frame(kFrameSize);
  std::copy(kFrameHeader.begin(), kFrameHeader.end(), frame.begin());
  std::copy(payload.begin(), payload.end(), frame.begin() + kFrameHeaderSize);
  return frame;
}

// The commands that write one page, in the station's order: address, then chunks 0..7.
inline std::vector<Payload> PageWrite(std::uint32_t address, const std::vector<std::uint8_t>& page) {
  std::vector<Payload> commands{AddressCommand(kCommandWrite, address)};
  for (std::size_t chunk = 0; chunk < kChunksPerPage; ++chunk) commands.push_back(ChunkCommand(chunk, page));
  return commands;
}

// A page whose bytes differ from their neighbours and from the erased state, so misplaced chunks show.
inline std::vector<std::uint8_t> SamplePage(std::uint8_t seed) {
  std::vector<std::uint8_t> page(kPageSize);
  for (std::size_t i = 0; i < page.size(); ++i) page[i] = static_cast<std::uint8_t>(seed + i * 7);
  return page;
}

// One fault at a time, named for what it does to the device.
inline DeviceFaults NoReplyTo(std::uint32_t exchange) {
  DeviceFaults faults;
  faults.noReplyTo = exchange;
  return faults;
}

inline DeviceFaults CorruptReadBack(std::uint8_t pageOffset, std::optional<std::uint32_t> pageAddress = {}) {
  DeviceFaults faults;
  faults.corruptReadBack = ReadBackCorruption{pageOffset, pageAddress};
  return faults;
}

inline DeviceFaults UnplugAfter(std::uint32_t pages) {
  DeviceFaults faults;
  faults.unplugAfterPages = pages;
  return faults;
}

inline DeviceFaults GarbageBeforeReplies(std::uint32_t bytes) {
  DeviceFaults faults;
  faults.garbageBeforeReplies = bytes;
  return faults;
}

inline DeviceFaults Handshakeless() {
  DeviceFaults faults;
  faults.handshakeless = true;
  return faults;
}

// Splits what the device sent into the payloads of the frames in it.
inline std::vector<Payload> Frames(const std::vector<std::uint8_t>& bytes) {
  FrameFinder finder;
  std::vector<Payload> payloads;
  for (const std::uint8_t byte : bytes) {
    if (std::optional<Payload> payload = finder.Push(byte)) payloads.push_back(*payload);
  }
  return payloads;
}

}  // namespace quillon::sim::testing
