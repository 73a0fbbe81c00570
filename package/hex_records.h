// One Intel-HEX record read from its line, with every character, the byte count and the checksum
// checked.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "texts/problem.h"

namespace quillon {

inline constexpr std::uint8_t kRecordData = 0x00;
inline constexpr std::uint8_t kRecordEndOfFile = 0x01;
inline constexpr std::uint8_t kRecordExtendedSegmentAddress = 0x02;
inline constexpr std::uint8_t kRecordStartSegmentAddress = 0x03;
inline constexpr std::uint8_t kRecordExtendedLinearAddress = 0x04;
inline constexpr std::uint8_t kRecordStartLinearAddress = 0x05;

// The most data a record of a font package holds: one 32-byte chunk of a page.
inline constexpr std::size_t kRecordDataBytes = 32;
// The longest line a font package holds: ':', the byte count, the load offset, the type, 32 data
// bytes and the checksum, two digits a byte.
inline constexpr std::size_t kLongestRecordLine = 1 + 2 * (1 + 2 + 1 + kRecordDataBytes + 1);

struct IntelHexRecord {
  std::uint8_t type = 0;
  std::uint16_t loadOffset = 0;
  std::uint8_t byteCount = 0;
  std::array<std::uint8_t, kRecordDataBytes> data{};
};

// '0'..'9', 'A'..'F' and 'a'..'f' give their value; any other character 0.
std::uint8_t HexDigitValue(char character);

// The record on the line, without its line end, when it is a well-formed record of at most
// kRecordDataBytes data bytes; otherwise a kInputRefused problem saying what is wrong with it.
Result<IntelHexRecord> ReadIntelHexRecord(std::string_view line);

// The value as `digits` upper-case hexadecimal digits, for messages.
std::string HexText(std::uint32_t value, int digits);

}  // namespace quillon
