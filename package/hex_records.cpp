#include "package/hex_records.h"
#include "texts/catalogue.h"

#include <cstdio>

namespace quillon {
namespace {

// ':', two digits of byte count, four of load offset, two of type, two of checksum.
constexpr std::size_t kShortestRecordLine = 11;
constexpr std::size_t kDataColumn = 9;

bool IsHexDigit(char character) {
  return (character >= '0' && character <= '9') || (character >= 'A' && character <= 'F') ||
         (character >= 'a' && character <= 'f');
}

std::uint8_t ByteAt(std::string_view line, std::size_t column) {
  return static_cast<std::uint8_t>(HexDigitValue(line[column]) * 16 + HexDigitValue(line[column + 1]));
}

// What is wrong with a line, as the refusal of its file says it.
Problem Wrong(std::string words) {
  return Problem{ProblemKind::kInputRefused, std::move(words)};
}

}  // namespace

std::uint8_t HexDigitValue(char character) {
  if (character >= '0' && character <= '9') return static_cast<std::uint8_t>(character - '0');
  if (character >= 'A' && character <= 'F') return static_cast<std::uint8_t>(character - 'A' + 10);
  if (character >= 'a' && character <= 'f') return static_cast<std::uint8_t>(character - 'a' + 10);
  return 0;
}

std::string HexText(std::uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

Result<IntelHexRecord> ReadIntelHexRecord(std::string_view line) {
  if (line.size() > kLongestRecordLine) {
    return Wrong(Tr("the line is longer than the {1} characters of a 32-byte data record",
                    {std::to_string(kLongestRecordLine)}));
  }
  if (line.empty() || line[0] != ':') return Wrong(Tr("the line does not start a record with ':'"));
  if (line.size() < kShortestRecordLine) return Wrong(Tr("the record is too short to hold its fields"));
  for (std::size_t column = 1; column < line.size(); ++column) {
    if (!IsHexDigit(line[column])) {
      return Wrong(Tr("character {1} is not a hexadecimal digit", {std::to_string(column + 1)}));
    }
  }
  const std::size_t byteCount = ByteAt(line, 1);
  const std::size_t bytesOnLine = (line.size() - kShortestRecordLine) / 2;
  if (line.size() % 2 == 0 || byteCount != bytesOnLine) {
    return Wrong(Tr("the byte count says {1} data bytes, the line holds {2}",
                    {std::to_string(byteCount), std::to_string(bytesOnLine)}));
  }
  std::uint8_t sum = 0;
  for (std::size_t column = 1; column + 1 < line.size(); column += 2) sum += ByteAt(line, column);
  if (sum != 0) {
    const std::uint8_t found = ByteAt(line, line.size() - 2);
    const auto expected = static_cast<std::uint8_t>(found - sum);
    return Wrong(
        Tr("the checksum is {1}, the record's bytes need {2}", {HexText(found, 2), HexText(expected, 2)}));
  }
  IntelHexRecord record;
  record.byteCount = static_cast<std::uint8_t>(byteCount);
  record.loadOffset = static_cast<std::uint16_t>(ByteAt(line, 3) << 8 | ByteAt(line, 5));
  record.type = ByteAt(line, 7);
  for (std::size_t i = 0; i < byteCount; ++i) record.data[i] = ByteAt(line, kDataColumn + 2 * i);
  return record;
}

}  // namespace quillon
