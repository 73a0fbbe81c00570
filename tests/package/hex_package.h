// Font packages for tests: Intel-HEX lines laid out as the station writes them, made from a flash image
// the test can compare with the device's.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

namespace quillon::testing {

// One record with its byte count and checksum.
inline std::string HexRecord(std::uint8_t type, std::uint16_t offset, std::span<const std::uint8_t> data) {
  std::uint8_t sum = static_cast<std::uint8_t>(data.size() + (offset >> 8) + (offset & 0xFF) + type);
  char field[16];
  std::snprintf(field, sizeof field, ":%02X%04X%02X", static_cast<unsigned>(data.size()), offset, type);
  std::string line = field;
  for (std::uint8_t byte : data) {
    std::snprintf(field, sizeof field, "%02X", byte);
    line += field;
    sum = static_cast<std::uint8_t>(sum + byte);
  }
  std::snprintf(field, sizeof field, "%02X", static_cast<std::uint8_t>(-sum));
  return line + field;
}

inline std::string DataRecord(std::uint16_t offset, std::uint8_t fill) {
  const std::vector<std::uint8_t> data(32, fill);
  return HexRecord(0x00, offset, data);
}

inline std::string UpperAddressRecord(std::uint16_t upper) {
  const std::uint8_t data[] = {static_cast<std::uint8_t>(upper >> 8), static_cast<std::uint8_t>(upper)};
  return HexRecord(0x04, 0, data);
}

inline const std::string kEndRecord = ":00000001FF";

// Bytes that differ from page to page and within each page.
inline std::vector<std::uint8_t> PatternBytes(std::uint32_t first, std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t address = first + static_cast<std::uint32_t>(i);
    bytes[i] = static_cast<std::uint8_t>(address * 7 + (address >> 8) * 13 + (address >> 16));
  }
  return bytes;
}

// `bytes` at flash address `first` (page-aligned, a whole number of 32-byte records), as 32-byte data
// records with an extended linear address record wherever the upper address changes.
inline std::vector<std::string> PackageLines(std::uint32_t first, const std::vector<std::uint8_t>& bytes,
                                             bool withEndRecord = true) {
  std::vector<std::string> lines;
  std::uint32_t upper = 0;
  for (std::size_t at = 0; at < bytes.size(); at += 32) {
    const std::uint32_t address = first + static_cast<std::uint32_t>(at);
    if ((address >> 16) != upper) {
      upper = address >> 16;
      lines.push_back(UpperAddressRecord(static_cast<std::uint16_t>(upper)));
    }
    lines.push_back(HexRecord(0x00, static_cast<std::uint16_t>(address),
                              std::span<const std::uint8_t>(bytes).subspan(at, 32)));
  }
  if (withEndRecord) lines.push_back(kEndRecord);
  return lines;
}

inline void WriteLines(const std::filesystem::path& path, const std::vector<std::string>& lines,
                       const char* lineEnd = "\n") {
  std::ofstream file(path, std::ios::binary);
  for (const std::string& line : lines) file << line << lineEnd;
}

}  // namespace quillon::testing
