// Intel-HEX as the station's own reader takes it, for the console's copies of a device's flash, the
// sample packages and the tests' packages: 32-byte data records from each run's start, an extended
// linear address record wherever the upper 16 address bits change from what the reader has (0 at the
// start), and the end record.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

inline constexpr char kIntelHexEndRecord[] = ":00000001FF";

// One record without its line end: ':', byte count, load offset, type, data and checksum in upper-case
// hexadecimal. The checksum makes all bytes of the record sum to 0 modulo 256.
std::string IntelHexRecordLine(std::uint8_t type, std::uint16_t offset, std::span<const std::uint8_t> data);

class IntelHexWriter {
 public:
  // `bytes` from flash address `address` on, as records of recordBytes (1..32; the last may be shorter).
  void AddData(std::uint32_t address, std::span<const std::uint8_t> bytes, std::size_t recordBytes = 32);
  // The records so far, one a line, without line ends and without the end record.
  const std::vector<std::string>& Lines() const { return m_lines; }
  // The whole file: every line and the end record, each followed by lineEnd.
  std::string Text(std::string_view lineEnd) const;

 private:
  std::vector<std::string> m_lines;
  std::uint32_t m_upperAddress = 0;
};

// A run of flash as a whole file; line ends are CR LF, as the package files have them.
std::string IntelHexText(std::uint32_t firstAddress, std::span<const std::uint8_t> bytes);

}  // namespace quillon
