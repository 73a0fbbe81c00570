#include "package/font_package.h"

#include "texts/catalogue.h"

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>

#include "tests/package/hex_package.h"
#include "tests/package/malformed_files.h"

namespace quillon {
namespace {

using testing::DataRecord;
using testing::HexRecord;
using testing::kEndRecord;
using testing::PackageLines;
using testing::PatternBytes;
using testing::UpperAddressRecord;

FontPackage Read(const std::vector<std::string>& lines, const char* lineEnd = "\n") {
  std::stringstream file;
  for (const std::string& line : lines) file << line << lineEnd;
  return ReadFontPackage(file);
}

// The pages as one stretch of flash from `first`, 0xFF where no page lies.
std::vector<std::uint8_t> Flash(const FontPackage& package, std::uint32_t first, std::size_t count) {
  std::vector<std::uint8_t> flash(count, 0xFF);
  for (const FontPage& page : package.pages) {
    for (std::size_t i = 0; i < kPageSize; ++i) {
      if (page.address + i >= first && page.address + i < first + count)
        flash[page.address + i - first] = page.bytes[i];
    }
  }
  return flash;
}

std::vector<std::uint32_t> Addresses(const FontPackage& package) {
  std::vector<std::uint32_t> addresses;
  for (const FontPage& page : package.pages) addresses.push_back(page.address);
  return addresses;
}

TEST(FontPackageTest, EachKindOfMalformedFileIsRefusedAtItsLine) {
  for (const testing::MalformedFile& file : testing::MalformedFiles()) {
    const FontPackage package = Read(file.lines);
    ASSERT_TRUE(package.problem.has_value()) << file.kind;
    EXPECT_EQ(package.problem->line, file.badLine) << file.kind;
    EXPECT_NE(package.problem->what.find(file.words), std::string::npos)
        << file.kind << ": " << package.problem->what;
  }
}

TEST(FontPackageTest, APackageAsTheStationWritesItGivesItsPagesWhole) {
  // Across a 64 KiB boundary, lower-case digits and Windows line ends included.
  const auto bytes = PatternBytes(0xFF00, 0x300);
  auto lines = PackageLines(0xFF00, bytes);
  for (char& c : lines[3]) c = static_cast<char>(std::tolower(c));
  const FontPackage package = Read(lines, "\r\n");
  ASSERT_EQ(package.problem, std::nullopt);
  EXPECT_EQ(Addresses(package), (std::vector<std::uint32_t>{0xFF00, 0x10000, 0x10100}));
  EXPECT_EQ(Flash(package, 0xFF00, bytes.size()), bytes);
}

TEST(FontPackageTest, RecordsOfAnyLengthLandAtTheirAddressesAndTheRestOfTheirPagesIsErased) {
  // As standard producers write them: a segment address, 16-byte records from the middle of a page, a
  // short last record, a start address.
  const std::vector<std::uint8_t> sixteen(16, 0x44);
  const std::uint8_t segment[] = {0x10, 0x00};  // paragraph 0x1000: 0x10000
  const std::uint8_t five[] = {1, 2, 3, 4, 5};
  const std::uint8_t start[] = {0, 0, 0, 0};
  const FontPackage package =
      Read({HexRecord(0x02, 0, segment), HexRecord(0x00, 0x00F0, sixteen), HexRecord(0x00, 0x0100, sixteen),
            HexRecord(0x00, 0x0110, five), HexRecord(0x05, 0, start), kEndRecord});
  ASSERT_EQ(package.problem, std::nullopt);
  EXPECT_EQ(Addresses(package), (std::vector<std::uint32_t>{0x10000, 0x10100}));
  std::vector<std::uint8_t> expected(0x200, 0xFF);
  std::fill_n(expected.begin() + 0xF0, 32, 0x44);
  std::copy(std::begin(five), std::end(five), expected.begin() + 0x110);
  EXPECT_EQ(Flash(package, 0x10000, 0x200), expected);
}

TEST(FontPackageTest, ARecordAcrossAPageBoundaryIsSplitThereEachByteAtItsAddress) {
  // As producers that align their records to the data's start write them: 16 bytes from 0x10F8.
  const auto bytes = PatternBytes(0x10F8, 32);
  const FontPackage package = Read({HexRecord(0x00, 0x10F8, std::span(bytes).first(16)),
                                    HexRecord(0x00, 0x1108, std::span(bytes).subspan(16)), kEndRecord});
  ASSERT_EQ(package.problem, std::nullopt);
  EXPECT_EQ(Addresses(package), (std::vector<std::uint32_t>{0x1000, 0x1100}));
  std::vector<std::uint8_t> expected(0x200, 0xFF);
  std::copy(bytes.begin(), bytes.end(), expected.begin() + 0xF8);
  EXPECT_EQ(Flash(package, 0x1000, 0x200), expected);
}

TEST(FontPackageTest, PagesFromTheLimitOnAreCheckedButNotKeptAndTheirBytesCounted) {
  auto lines = PackageLines(0x61400, PatternBytes(0x61400, 0x200));
  const FontPackage package = Read(lines);
  EXPECT_EQ(Addresses(package), std::vector<std::uint32_t>{0x61400});
  EXPECT_EQ(package.bytesLeftOut, 0x100u);
  lines.insert(lines.end() - 1, ":bad");
  EXPECT_EQ(Read(lines).problem,
            (FontFileProblem{lines.size() - 1, "the record is too short to hold its fields"}));
}

TEST(FontPackageTest, AByteOrderMarkBeforeTheFirstRecordIsPassedOver) {
  auto lines = PackageLines(0, PatternBytes(0, 0x100));
  lines.front().insert(0, "\xEF\xBB\xBF");
  EXPECT_EQ(Addresses(Read(lines)), std::vector<std::uint32_t>{0});
  lines.front().erase(0, 1);  // a mark cut short is no mark: the line is refused
  EXPECT_EQ(Read(lines).problem->line, 1u);
}

TEST(FontPackageTest, NothingAfterTheEndRecordIsRead) {
  const FontPackage package = Read({DataRecord(0x0000, 1), ":00000001ff", "not a record at all"});
  EXPECT_EQ(package.problem, std::nullopt);
  EXPECT_EQ(package.pages.size(), 1u);
}

TEST(FontPackageTest, AFileWithoutALineEndIsRefusedAtItsFirstLineWithoutReadingOn) {
  std::stringstream file(std::string(100000, '\0'));
  const FontPackage package = ReadFontPackage(file);
  EXPECT_EQ(package.problem,
            (FontFileProblem{1, "the line is longer than the 75 characters of a 32-byte data record"}));
  EXPECT_LT(file.tellg(), 100);
}

TEST(FontPackageTest, TheRefusalNamesTheFileAndTheLineInTheOperatorsLanguage) {
  std::istringstream file(":1000000000\n");
  const FontFileProblem problem = *ReadFontPackage(file).problem;
  EXPECT_EQ(RefusedFontFileText("KoreaFlash.txt", problem),
            "Write file format error!!!\nKoreaFlash.txt, line 1: the byte count says 16 data bytes, the line "
            "holds 0.");
  SetLanguage(Language::kChinese);
  const FontFileProblem chinese = *ReadFontPackage(file.seekg(0)).problem;
  EXPECT_EQ(RefusedFontFileText("KoreaFlash.txt", chinese),
            "写入文件格式错误!!!\nKoreaFlash.txt，第 1 行：字节数写的是 16 个数据字节，这一行有 0 个。");
  SetLanguage(Language::kEnglish);
}

}  // namespace
}  // namespace quillon
