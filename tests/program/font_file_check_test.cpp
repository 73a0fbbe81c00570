#include "program/font_file_check.h"

#include <gtest/gtest.h>

#include <cctype>

#include "tests/program/hex_package.h"
#include "tests/program/malformed_files.h"

namespace quillon {
namespace {

using testing::DataRecord;
using testing::HexRecord;
using testing::kEndRecord;
using testing::UpperAddressRecord;

TEST(FontFileCheckTest, EachKindOfMalformedFileIsRefusedAtItsLine) {
  for (const testing::MalformedFile& file : testing::MalformedFiles()) {
    const auto problem = CheckFontFile(file.lines);
    ASSERT_TRUE(problem.has_value()) << file.kind;
    EXPECT_EQ(problem->line, file.badLine) << file.kind;
    EXPECT_NE(problem->what.find(file.words), std::string::npos) << file.kind << ": " << problem->what;
  }
}

TEST(FontFileCheckTest, APackageAsTheStationWritesItPasses) {
  // Across a 64 KiB boundary, lower-case digits included.
  auto lines = testing::PackageLines(0xFF00, testing::PatternBytes(0xFF00, 0x300));
  for (char& c : lines[3]) c = static_cast<char>(std::tolower(c));
  EXPECT_EQ(CheckFontFile(lines), std::nullopt);
}

TEST(FontFileCheckTest, ShortPagesStartAddressesAndAMissingEndRecordPass) {
  const std::uint8_t start[] = {0, 0, 0x10, 0};
  const std::vector<std::string> lines = {
      DataRecord(0x0000, 1),     HexRecord(0x05, 0, start),  // takes no place in the page
      DataRecord(0x0020, 2),     DataRecord(0x0100, 3),      // a page of one record ends the one of two
      HexRecord(0x03, 0, start), UpperAddressRecord(6),     DataRecord(0x0000, 4),
  };
  EXPECT_EQ(CheckFontFile(lines), std::nullopt);
}

TEST(FontFileCheckTest, NothingAfterTheEndRecordIsLookedAt) {
  const std::vector<std::string> lines = {DataRecord(0x0000, 1), ":00000001ff", "not a record at all"};
  EXPECT_EQ(CheckFontFile(lines), std::nullopt);
}

TEST(FontFileCheckTest, ANinthRecordInAPageCanOnlyStartTheNextPage) {
  std::vector<std::string> lines;
  for (std::uint16_t slot = 0; slot < 8; ++slot) lines.push_back(DataRecord(slot * 32, 1));
  lines.push_back(DataRecord(0x00E0, 2));  // the eighth again
  const auto problem = CheckFontFile(lines);
  ASSERT_TRUE(problem.has_value());
  EXPECT_EQ(problem->line, 9u);
  EXPECT_NE(problem->what.find("should be at 000100"), std::string::npos) << problem->what;
}

TEST(FontFileCheckTest, TheRefusalNamesTheFileAndTheLine) {
  EXPECT_EQ(RefusedFontFileText("KoreaFlash.txt", {12, "the checksum is 3B, the record's bytes need 3A"}),
            "写入文件格式错误!!!\nKoreaFlash.txt, line 12: the checksum is 3B, the record's bytes need 3A.");
}

}  // namespace
}  // namespace quillon
