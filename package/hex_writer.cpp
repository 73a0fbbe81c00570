#include "package/hex_writer.h"

#include <algorithm>

#include "package/hex_records.h"

namespace quillon {

std::string IntelHexRecordLine(std::uint8_t type, std::uint16_t offset, std::span<const std::uint8_t> data) {
  const std::uint8_t header[] = {static_cast<std::uint8_t>(data.size()),
                                 static_cast<std::uint8_t>(offset >> 8), static_cast<std::uint8_t>(offset),
                                 type};
  std::string line = ":";
  std::uint8_t sum = 0;
  for (const std::uint8_t byte : header) {
    line += HexText(byte, 2);
    sum = static_cast<std::uint8_t>(sum + byte);
  }
  for (const std::uint8_t byte : data) {
    line += HexText(byte, 2);
    sum = static_cast<std::uint8_t>(sum + byte);
  }
  return line + HexText(static_cast<std::uint8_t>(-sum), 2);
}

void IntelHexWriter::AddData(std::uint32_t address, std::span<const std::uint8_t> bytes,
                             std::size_t recordBytes) {
  recordBytes = std::clamp<std::size_t>(recordBytes, 1, kRecordDataBytes);
  for (std::size_t done = 0; done < bytes.size(); done += recordBytes) {
    const std::uint32_t at = address + static_cast<std::uint32_t>(done);
    if (at >> 16 != m_upperAddress) {
      m_upperAddress = at >> 16;
      const std::uint8_t upper[] = {static_cast<std::uint8_t>(m_upperAddress >> 8),
                                    static_cast<std::uint8_t>(m_upperAddress)};
      m_lines.push_back(IntelHexRecordLine(kRecordExtendedLinearAddress, 0, upper));
    }
    const std::size_t count = std::min(recordBytes, bytes.size() - done);
    m_lines.push_back(
        IntelHexRecordLine(kRecordData, static_cast<std::uint16_t>(at), bytes.subspan(done, count)));
  }
}

std::string IntelHexWriter::Text(std::string_view lineEnd) const {
  std::string text;
  for (const std::string& line : m_lines) (text += line) += lineEnd;
  return (text += kIntelHexEndRecord) += lineEnd;
}

std::string IntelHexText(std::uint32_t firstAddress, std::span<const std::uint8_t> bytes) {
  IntelHexWriter writer;
  writer.AddData(firstAddress, bytes);
  return writer.Text("\r\n");
}

}  // namespace quillon
