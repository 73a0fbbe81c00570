// Font packages for tests: Intel-HEX lines laid out as the station writes them, made from a flash image
// the test can compare with the device's.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "package/hex_writer.h"

namespace quillon::testing {

// One record with its byte count and checksum.
inline std::string HexRecord(std::uint8_t type, std::uint16_t offset, std::span<const std::uint8_t> data) {
  return IntelHexRecordLine(type, offset, data);
}

inline std::string DataRecord(std::uint16_t offset, std::uint8_t fill) {
  const std::vector<std::uint8_t> data(32, fill);
  return HexRecord(0x00, offset, data);
}

inline std::string UpperAddressRecord(std::uint16_t upper) {
  const std::uint8_t data[] = {static_cast<std::uint8_t>(upper >> 8), static_cast<std::uint8_t>(upper)};
  return HexRecord(0x04, 0, data);
}

inline const std::string kEndRecord = kIntelHexEndRecord;

// Bytes that differ from page to page and within each page.
inline std::vector<std::uint8_t> PatternBytes(std::uint32_t first, std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t address = first + static_cast<std::uint32_t>(i);
    bytes[i] = static_cast<std::uint8_t>(address * 7 + (address >> 8) * 13 + (address >> 16));
  }
  return bytes;
}

// `bytes` at flash address `first` (page-aligned, a whole number of 32-byte records), as the station's
// writer lays them out.
inline std::vector<std::string> PackageLines(std::uint32_t first, const std::vector<std::uint8_t>& bytes,
                                             bool withEndRecord = true) {
  IntelHexWriter writer;
  writer.AddData(first, bytes);
  std::vector<std::string> lines = writer.Lines();
  if (withEndRecord) lines.push_back(kEndRecord);
  return lines;
}

inline void WriteLines(const std::filesystem::path& path, const std::vector<std::string>& lines,
                       const char* lineEnd = "\n") {
  std::ofstream file(path, std::ios::binary);
  for (const std::string& line : lines) file << line << lineEnd;
}

}  // namespace quillon::testing
