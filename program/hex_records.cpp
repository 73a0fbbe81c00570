#include "program/hex_records.h"

#include "app/shared_state.h"

namespace quillon {
namespace {

std::uint32_t HexField(std::size_t column, std::size_t digits) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < digits; ++i) value = value * 16 + HexDigitValue(g_hexLine[column + i]);
  return value;
}

}  // namespace

std::uint8_t HexDigitValue(char character) {
  if (character >= '0' && character <= '9') return static_cast<std::uint8_t>(character - '0');
  if (character >= 'A' && character <= 'F') return static_cast<std::uint8_t>(character - 'A' + 10);
  if (character >= 'a' && character <= 'f') return static_cast<std::uint8_t>(character - 'a' + 10);
  return 0;
}

void ParseRecordType() {
  g_hexRecordType = static_cast<std::uint8_t>(HexField(7, 2));
}

void ParseLoadOffset() {
  g_hexLoadOffset = HexField(3, 4);
}

void ParseUpperAddress() {
  g_hexUpperAddress = HexField(kRecordDataColumn, 4) << 16;
}

void ParseRecordData() {
  for (std::size_t i = 0; i < kRecordDataBytes; ++i) {
    g_hexRecordData[i] = static_cast<std::uint8_t>(HexField(kRecordDataColumn + 2 * i, 2));
  }
}

}  // namespace quillon
