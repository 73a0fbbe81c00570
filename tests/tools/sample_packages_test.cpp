// The sample packages as quillon-samplegen writes them, read back and held against their layouts.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "fonts/glyph_bits.h"
#include "package/font_package.h"
#include "tests/tools/intel_hex_reader.h"
#include "tools/samplegen/sample_packages.h"

namespace quillon::tools {
namespace {

using testing::HexPackageContents;
using testing::ReadHexPackage;

// A few codes of each character set: ones that must hold a glyph, and ones the set leaves unassigned.
struct SpotCheck {
  std::string_view charset;
  std::uint16_t drawn[2];
  std::uint16_t blank;
};
constexpr SpotCheck kSpotChecks[] = {
    {"", {'A', '~'}, ' '},
    {"GB2312", {0xA3C1, 0xB0A1}, 0xAAA1},  // full-width A, the first hanzi; row 0xAA is unassigned
    {"EUC-KR", {0xB0A1, 0xC8FE}, 0xADA1},  // the first and the last Hangul syllable; row 0xAD is unassigned
    {"EUC-JP", {0xA4A2, 0xB0A1}, 0xA9A1},  // hiragana a, the first kanji; row 9 is unassigned
    {"BIG5", {0xA440, 0xC67E}, 0xA3FE},    // the first and the last frequent character; 0xA3FE is unassigned
};

const SpotCheck& SpotCheckFor(const CodeTable& codes) {
  return *std::find_if(std::begin(kSpotChecks), std::end(kSpotChecks),
                       [&](const SpotCheck& check) { return check.charset == codes.iconvName; });
}

bool BlankGlyph(const std::vector<std::uint8_t>& bytes, std::uint32_t address, GlyphFormat format) {
  return std::all_of(bytes.begin() + address, bytes.begin() + address + format.Bytes(),
                     [](std::uint8_t byte) { return byte == 0; });
}

// The pages laid end to end as a flash image; bytes of no page are 0xFF.
std::vector<std::uint8_t> FlashImage(const HexPackageContents& contents) {
  std::vector<std::uint8_t> flash(kFontSpaceEnd, 0xFF);
  for (const auto& [address, page] : contents.pages)
    std::copy(page.begin(), page.end(), flash.begin() + address);
  return flash;
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void ExpectRegionGlyphs(const std::vector<std::uint8_t>& bytes, const GlyphRegion& region) {
  const SpotCheck& check = SpotCheckFor(region.codes);
  for (const std::uint16_t code : check.drawn) {
    EXPECT_FALSE(BlankGlyph(bytes, region.GlyphAddress(region.codes.IndexOf(code).value()), region.format))
        << region.codes.iconvName << " " << std::hex << code;
  }
  EXPECT_TRUE(
      BlankGlyph(bytes, region.GlyphAddress(region.codes.IndexOf(check.blank).value()), region.format))
      << region.codes.iconvName << " " << std::hex << check.blank;
}

class SamplePackages : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillon-samples-XXXXXX").string();
    s_directory = ::mkdtemp(pattern.data());
    const std::string command =
        std::string(QUILLON_SAMPLEGEN_PATH) + " " + s_directory.string() + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    s_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    std::filesystem::remove_all(s_directory, ignored);
  }

  static inline std::filesystem::path s_directory;
  static inline int s_exitCode = -1;
};

TEST_F(SamplePackages, TheGeneratorSucceeds) {
  EXPECT_EQ(s_exitCode, 0);
}

TEST_F(SamplePackages, EveryPackageIsWellFormedIntelHexOfWholePagesInTheFontSpace) {
  for (const HexPackage& package : kHexPackages) {
    SCOPED_TRACE(std::string(package.fileName));
    const HexPackageContents contents = ReadHexPackage(s_directory / package.fileName);
    EXPECT_EQ(contents.error, "");
    ASSERT_FALSE(contents.pages.empty());
    EXPECT_LT(contents.pages.rbegin()->first, kFontSpaceEnd);
  }
}

TEST_F(SamplePackages, TheChinesePackageCoversTheWholeFontSpace) {
  const HexPackageContents contents = ReadHexPackage(s_directory / "flash.txt");
  ASSERT_EQ(contents.pages.size(), 1557u);
  EXPECT_EQ(contents.pages.begin()->first, 0u);
  EXPECT_EQ(contents.pages.rbegin()->first, 0x61400u);
}

TEST_F(SamplePackages, EveryPackageHoldsItsGlyphRegionsWhereItsLayoutSays) {
  for (const HexPackage& package : kHexPackages) {
    SCOPED_TRACE(std::string(package.fileName));
    const HexPackageContents contents = ReadHexPackage(s_directory / package.fileName);
    for (const GlyphRegion& region : package.regions) {
      for (std::uint32_t page = region.start & ~0xFFu; page < region.End(); page += 256) {
        EXPECT_TRUE(contents.pages.contains(page)) << std::hex << page;
      }
      ExpectRegionGlyphs(FlashImage(contents), region);
    }
    if (package.coveredUpTo == 0) {
      for (const auto& [page, bytes] : contents.pages) {
        EXPECT_TRUE(std::any_of(
            package.regions.begin(), package.regions.end(),
            [page](const GlyphRegion& region) { return page < region.End() && page + 256 > region.start; }))
            << "page " << std::hex << page << " holds no glyph";
      }
    }
  }
}

// The station places records by their addresses; the strict reader by their order in a page, as the
// station always did with files laid out as these are. Both must give the same pages.
TEST_F(SamplePackages, TheStationReadsEveryPackageIntoThePagesItsRecordsFill) {
  for (const HexPackage& package : kHexPackages) {
    SCOPED_TRACE(std::string(package.fileName));
    const HexPackageContents contents = ReadHexPackage(s_directory / package.fileName);
    std::ifstream file(s_directory / package.fileName, std::ios::binary);
    const FontPackage read = ReadFontPackage(file);
    ASSERT_EQ(read.problem, std::nullopt);
    ASSERT_EQ(read.pages.size(), contents.pages.size());
    for (const FontPage& page : read.pages) {
      ASSERT_TRUE(contents.pages.contains(page.address)) << std::hex << page.address;
      EXPECT_EQ(page.bytes, contents.pages.at(page.address)) << std::hex << page.address;
    }
  }
}

TEST_F(SamplePackages, ColourImagesHaveTheirSizesAndTheirGlyphsWhereTheLayoutSays) {
  for (const ImageFile& image : kImageFiles) {
    SCOPED_TRACE(std::string(image.fileName));
    const std::vector<std::uint8_t> bytes = ReadBytes(s_directory / image.fileName);
    ASSERT_EQ(bytes.size(), image.size);
    for (const GlyphRegion& region : image.regions) ExpectRegionGlyphs(bytes, region);
    EXPECT_TRUE(std::all_of(bytes.begin() + image.regions.back().End(), bytes.end(),
                            [](std::uint8_t byte) { return byte == 0; }));
  }
  // The station writes the Korean image from 0x80000 to 0x1612FF, the traditional Chinese one from 0 to
  // 0xE12FF: both files reach the end of what is written.
  EXPECT_EQ(kImageFiles[0].size, 0x161300u);
  EXPECT_EQ(kImageFiles[1].size, 0xE1300u);
}

TEST(SampleGenerator, WithoutADirectoryItShowsItsUsage) {
  const int status = std::system((std::string(QUILLON_SAMPLEGEN_PATH) + " >/dev/null 2>&1").c_str());
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace
}  // namespace quillon::tools
