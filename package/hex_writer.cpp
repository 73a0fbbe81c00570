#include "package/hex_writer.h"

#include <algorithm>
#include <vector>

#include "package/hex_records.h"

namespace quillon {
namespace {

void AppendRecord(std::string& text, std::uint8_t type, std::uint16_t offset,
                  std::span<const std::uint8_t> data) {
  std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(data.size()),
                                  static_cast<std::uint8_t>(offset >> 8), static_cast<std::uint8_t>(offset),
                                  type};
  bytes.insert(bytes.end(), data.begin(), data.end());
  std::uint8_t sum = 0;
  for (const std::uint8_t byte : bytes) sum = static_cast<std::uint8_t>(sum + byte);
  bytes.push_back(static_cast<std::uint8_t>(-sum));
  text += ':';
  for (const std::uint8_t byte : bytes) text += HexText(byte, 2);
  text += "\r\n";
}

}  // namespace

std::string IntelHexText(std::uint32_t firstAddress, std::span<const std::uint8_t> bytes) {
  std::string text;
  std::uint32_t upper = 0;  // the reader starts at 0
  for (std::size_t done = 0; done < bytes.size(); done += kRecordDataBytes) {
    const std::uint32_t address = firstAddress + static_cast<std::uint32_t>(done);
    if (address >> 16 != upper) {
      upper = address >> 16;
      const std::uint8_t base[] = {static_cast<std::uint8_t>(upper >> 8), static_cast<std::uint8_t>(upper)};
      AppendRecord(text, kRecordExtendedLinearAddress, 0, base);
    }
    const std::size_t count = std::min(kRecordDataBytes, bytes.size() - done);
    AppendRecord(text, kRecordData, static_cast<std::uint16_t>(address), bytes.subspan(done, count));
  }
  AppendRecord(text, kRecordEndOfFile, 0, {});
  return text;
}

}  // namespace quillon
