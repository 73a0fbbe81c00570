#include "program/font_file_check.h"

#include <cstdint>
#include <cstdio>

#include "program/hex_records.h"

namespace quillon {
namespace {

// ':', two digits of byte count, four of load offset, two of type, two of checksum.
constexpr std::size_t kShortestRecordLine = 11;

struct Record {
  std::uint8_t type = 0;
  std::uint32_t loadOffset = 0;
  std::vector<std::uint8_t> data;
};

std::string Hex(std::uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

bool IsHexDigit(char character) {
  return (character >= '0' && character <= '9') || (character >= 'A' && character <= 'F') ||
         (character >= 'a' && character <= 'f');
}

std::uint8_t ByteAt(const std::string& line, std::size_t column) {
  return static_cast<std::uint8_t>(HexDigitValue(line[column]) * 16 + HexDigitValue(line[column + 1]));
}

// Reads one line as a record; the words of what is wrong with it otherwise.
std::optional<std::string> ReadRecord(const std::string& line, Record& record) {
  if (line.size() > kLongestRecordLine) {
    return "the line has " + std::to_string(line.size()) + " characters, more than the " +
           std::to_string(kLongestRecordLine) + " of a 32-byte data record";
  }
  if (line.empty() || line[0] != ':') return "the line does not start a record with ':'";
  if (line.size() < kShortestRecordLine) return "the record is too short to hold its fields";
  for (std::size_t column = 1; column < line.size(); ++column) {
    if (!IsHexDigit(line[column])) {
      return "character " + std::to_string(column + 1) + " is not a hexadecimal digit";
    }
  }
  const std::size_t byteCount = ByteAt(line, 1);
  const std::size_t bytesOnLine = (line.size() - kShortestRecordLine) / 2;
  if (line.size() % 2 == 0 || byteCount != bytesOnLine) {
    return "the byte count says " + std::to_string(byteCount) + " data bytes, the line holds " +
           std::to_string(bytesOnLine);
  }
  std::uint8_t sum = 0;
  for (std::size_t column = 1; column + 1 < line.size(); column += 2) sum += ByteAt(line, column);
  if (sum != 0) {
    const std::uint8_t found = ByteAt(line, line.size() - 2);
    const auto expected = static_cast<std::uint8_t>(found - sum);
    return "the checksum is " + Hex(found, 2) + ", the record's bytes need " + Hex(expected, 2);
  }
  record.loadOffset = static_cast<std::uint32_t>(ByteAt(line, 3) << 8 | ByteAt(line, 5));
  record.type = ByteAt(line, 7);
  record.data.clear();
  for (std::size_t i = 0; i < byteCount; ++i) record.data.push_back(ByteAt(line, kRecordDataColumn + 2 * i));
  return std::nullopt;
}

// Where the data records of a package may go: each page begins with a record at an offset whose low
// byte is 0, and its further records follow it 32 bytes apart, up to 8 in all.
class PageLayout {
 public:
  std::optional<std::string> Place(const Record& record) {
    if (record.data.size() != kRecordDataBytes) {
      return "a data record must hold " + std::to_string(kRecordDataBytes) + " bytes, this one holds " +
             std::to_string(record.data.size());
    }
    const std::uint32_t address = m_upperAddress | record.loadOffset;
    if ((record.loadOffset & 0xFF) == 0) {
      m_pageStarted = true;
      m_pageAddress = address;
      m_slot = 1;
      return std::nullopt;
    }
    if (!m_pageStarted) {
      return "the data record at " + Hex(address, 6) +
             " comes before the first page start (an offset ending in 00)";
    }
    // After 8 records the expected offset ends in 00: a ninth can only start a page of its own.
    const std::uint32_t expected = m_pageAddress + static_cast<std::uint32_t>(m_slot * kRecordDataBytes);
    if (address != expected) {
      return "the data record at " + Hex(address, 6) + " should be at " + Hex(expected, 6) +
             ", 32 bytes after the record before it in the page at " + Hex(m_pageAddress, 6);
    }
    ++m_slot;
    return std::nullopt;
  }

  void SetUpperAddress(const Record& record) {
    m_upperAddress = static_cast<std::uint32_t>(record.data[0] << 8 | record.data[1]) << 16;
  }

 private:
  std::uint32_t m_upperAddress = 0;
  bool m_pageStarted = false;
  std::uint32_t m_pageAddress = 0;
  std::size_t m_slot = 0;
};

}  // namespace

std::optional<FontFileProblem> CheckFontFile(const std::vector<std::string>& lines) {
  if (lines.empty()) return FontFileProblem{1, "the file is empty"};
  PageLayout layout;
  Record record;
  for (std::size_t index = 0; index < lines.size(); ++index) {
    auto problem = ReadRecord(lines[index], record);
    if (!problem) {
      switch (record.type) {
        case kRecordData:
          problem = layout.Place(record);
          break;
        case kRecordEndOfFile:
          return std::nullopt;  // the job reads no further
        case kRecordExtendedLinearAddress:
          if (record.data.size() == 2) {
            layout.SetUpperAddress(record);
          } else {
            problem = "an extended linear address record must hold 2 bytes";
          }
          break;
        case kRecordExtendedSegmentAddress:
          problem = "extended segment addresses (record type 02) are not supported";
          break;
        case kRecordStartSegmentAddress:
        case kRecordStartLinearAddress:
          break;  // a start address means nothing to the flash
        default:
          problem = "record type " + Hex(record.type, 2) + " is not an Intel-HEX record type";
          break;
      }
    }
    if (problem) return FontFileProblem{index + 1, *problem};
  }
  return std::nullopt;
}

std::string RefusedFontFileText(const std::string& fileName, const FontFileProblem& problem) {
  return std::string(kBadWriteFileText) + "\n" + fileName + ", line " + std::to_string(problem.line) + ": " +
         problem.what + ".";
}

}  // namespace quillon
