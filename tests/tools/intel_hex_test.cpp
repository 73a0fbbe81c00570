#include "tools/samplegen/intel_hex.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace quillon::tools {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

TEST(IntelHex, RecordsCarryCountOffsetTypeDataAndChecksum) {
  const std::uint8_t data[] = {0x21, 0x46, 0x01, 0x36, 0x01, 0x21, 0x47, 0x01,
                               0x36, 0x00, 0x7E, 0xFE, 0x09, 0xD2, 0x19, 0x01};
  EXPECT_EQ(IntelHexRecord(kDataRecord, 0x0100, data), ":10010000214601360121470136007EFE09D2190140");
  const std::uint8_t upper[] = {0x00, 0x06};
  EXPECT_EQ(IntelHexRecord(kExtendedLinearAddressRecord, 0, upper), ":020000040006F4");
  EXPECT_EQ(IntelHexRecord(kEndRecord, 0, {}), ":00000001FF");
}

TEST(IntelHex, EachPageIsEightRecordsAndAnAddressRecordPrecedesEveryNewUpperAddress) {
  FlashPages pages;
  pages[0x0FF00].fill(0x11);
  pages[0x10000].fill(0x22);
  pages[0x10100].fill(0x33);
  const std::vector<std::string> lines = Lines(IntelHexText(pages));
  ASSERT_EQ(lines.size(), 1 + 8 + 1 + 8 + 8 + 1u);
  EXPECT_EQ(lines[0], ":020000040000FA");
  EXPECT_EQ(lines[1].substr(0, 9), ":20FF0000");
  EXPECT_EQ(lines[8].substr(0, 9), ":20FFE000");
  EXPECT_EQ(lines[9], ":020000040001F9");
  EXPECT_EQ(lines[10].substr(0, 9), ":20000000");
  EXPECT_EQ(lines[18].substr(0, 11), ":2001000033");
  EXPECT_EQ(lines.back(), ":00000001FF");
  for (const std::string& line : lines) {
    if (line.substr(7, 2) == "00") {
      EXPECT_EQ(line.size(), 1 + 2 * (1 + 2 + 1 + 32 + 1u)) << line;
    }
  }
}

}  // namespace
}  // namespace quillon::tools
