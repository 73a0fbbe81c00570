#include "tools/samplegen/intel_hex.h"

#include <optional>

namespace quillon::tools {
namespace {

constexpr std::size_t kRecordBytes = 32;

void AppendHexByte(std::string& text, std::uint8_t byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  text += kDigits[byte >> 4];
  text += kDigits[byte & 0x0F];
}

}  // namespace

std::string IntelHexRecord(std::uint8_t type, std::uint16_t offset, std::span<const std::uint8_t> data) {
  const std::uint8_t header[] = {static_cast<std::uint8_t>(data.size()),
                                 static_cast<std::uint8_t>(offset >> 8),
                                 static_cast<std::uint8_t>(offset & 0xFF), type};
  std::string record = ":";
  std::uint8_t sum = 0;
  for (const std::uint8_t byte : header) {
    AppendHexByte(record, byte);
    sum += byte;
  }
  for (const std::uint8_t byte : data) {
    AppendHexByte(record, byte);
    sum += byte;
  }
  AppendHexByte(record, static_cast<std::uint8_t>(-sum));
  return record;
}

std::string IntelHexText(const FlashPages& pages) {
  std::string text;
  std::optional<std::uint32_t> upper;
  for (const auto& [address, page] : pages) {
    if (upper != address >> 16) {
      upper = address >> 16;
      const std::uint8_t bits[] = {static_cast<std::uint8_t>(*upper >> 8), static_cast<std::uint8_t>(*upper)};
      text += IntelHexRecord(kExtendedLinearAddressRecord, 0, bits) + "\n";
    }
    for (std::size_t slot = 0; slot < page.size() / kRecordBytes; ++slot) {
      const auto offset = static_cast<std::uint16_t>((address & 0xFFFF) + slot * kRecordBytes);
      text +=
          IntelHexRecord(kDataRecord, offset, std::span(page).subspan(slot * kRecordBytes, kRecordBytes)) +
          "\n";
    }
  }
  return text + IntelHexRecord(kEndRecord, 0, {}) + "\n";
}

}  // namespace quillon::tools
