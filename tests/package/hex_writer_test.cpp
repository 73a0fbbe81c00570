#include "package/hex_writer.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "package/hex_records.h"

namespace quillon {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

TEST(IntelHexWriter, RecordsCarryCountOffsetTypeDataAndChecksum) {
  const std::uint8_t data[] = {0x21, 0x46, 0x01, 0x36, 0x01, 0x21, 0x47, 0x01,
                               0x36, 0x00, 0x7E, 0xFE, 0x09, 0xD2, 0x19, 0x01};
  EXPECT_EQ(IntelHexRecordLine(kRecordData, 0x0100, data), ":10010000214601360121470136007EFE09D2190140");
  const std::uint8_t upper[] = {0x00, 0x06};
  EXPECT_EQ(IntelHexRecordLine(kRecordExtendedLinearAddress, 0, upper), ":020000040006F4");
  EXPECT_EQ(IntelHexRecordLine(kRecordEndOfFile, 0, {}), kIntelHexEndRecord);
}

TEST(IntelHexWriter, EachPageIsEightRecordsAndAnAddressRecordPrecedesEveryNewUpperAddress) {
  IntelHexWriter writer;
  for (const auto& [address, fill] : {std::pair{0x0FF00u, 0x11}, {0x10000u, 0x22}, {0x10100u, 0x33}}) {
    const std::vector<std::uint8_t> page(256, static_cast<std::uint8_t>(fill));
    writer.AddData(address, page);
  }
  const std::vector<std::string> lines = Lines(writer.Text("\n"));
  // The reader starts at upper address 0: the first page needs no address record.
  ASSERT_EQ(lines.size(), 8 + 1 + 8 + 8 + 1u);
  EXPECT_EQ(lines[0].substr(0, 9), ":20FF0000");
  EXPECT_EQ(lines[7].substr(0, 9), ":20FFE000");
  EXPECT_EQ(lines[8], ":020000040001F9");
  EXPECT_EQ(lines[9].substr(0, 9), ":20000000");
  EXPECT_EQ(lines[17].substr(0, 11), ":2001000033");
  EXPECT_EQ(lines.back(), kIntelHexEndRecord);
  for (const std::string& line : lines) {
    if (line.substr(7, 2) == "00") {
      EXPECT_EQ(line.size(), 1 + 2 * (1 + 2 + 1 + 32 + 1u)) << line;
    }
  }
}

}  // namespace
}  // namespace quillon
