#include "tests/campaign/campaign_package.h"

#include <algorithm>
#include <span>

#include "fonts/builtin_font_block.h"
#include "package/colour_regions.h"
#include "package/font_package.h"
#include "station/dialog_controls.h"
#include "station/jobs/colour_font_jobs.h"
#include "station/jobs/font_file_job.h"
#include "tests/package/hex_package.h"
#include "tests/package/malformed_files.h"

namespace quillon::campaign {
namespace {

constexpr int kFontFileButtons[] = {kIdWriteChinese, kIdWriteKorean, kIdWriteTraditionalChinese,
                                    kIdWriteJapanese, kIdWriteLargeAscii};
constexpr std::uint8_t kFontFileModes[] = {1, 2, 3, 4, 5};

int Uniform(std::mt19937& random, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(random);
}

std::vector<std::uint8_t> Bytes(const std::vector<std::string>& lines, const char* lineEnd) {
  std::string text;
  for (const std::string& line : lines) text += line + lineEnd;
  return {text.begin(), text.end()};
}

// Ascending page addresses below the limit, with random gaps, some across a 64 KiB boundary.
std::vector<std::uint32_t> PageAddresses(std::mt19937& random, int count) {
  std::vector<std::uint32_t> addresses;
  std::uint32_t page = static_cast<std::uint32_t>(Uniform(random, 0, 0x300));
  for (int i = 0; i < count; ++i) {
    addresses.push_back(page << 8);
    page += static_cast<std::uint32_t>(Uniform(random, 0, 3) == 0 ? Uniform(random, 2, 0x40) : 1);
  }
  std::erase_if(addresses, [](std::uint32_t address) { return address >= kFontAddressLimit; });
  return addresses;
}

}  // namespace

CampaignPackage RandomFontFile(std::mt19937& random) {
  const int choice = Uniform(random, 0, 4);
  CampaignPackage package;
  package.button = kFontFileButtons[choice];
  package.fileName = FontFileName(kFontFileModes[choice]);
  // Records of 32 bytes from every page start, as the packages come, or of 16 with some left out, as
  // other producers write them; the bytes no record fills are 0xFF.
  const std::size_t recordBytes = Uniform(random, 0, 1) == 0 ? 32 : 16;
  const bool withHoles = recordBytes == 16 && Uniform(random, 0, 1) == 0;
  const char* lineEnd = Uniform(random, 0, 1) == 0 ? "\n" : "\r\n";
  package.description = "font file, " + std::to_string(recordBytes) + "-byte records";

  IntelHexWriter writer;
  for (std::uint32_t address : PageAddresses(random, Uniform(random, 1, 24))) {
    ExpectedPage page{address, {}};
    page.bytes.fill(0xFF);
    const int first = withHoles ? Uniform(random, 0, 15) : 0;  // a page holds at least one record
    for (std::size_t at = 0; at < 256; at += recordBytes) {
      if (withHoles && static_cast<int>(at / recordBytes) != first && Uniform(random, 0, 3) == 0) continue;
      std::vector<std::uint8_t> data(recordBytes);
      for (std::uint8_t& byte : data) byte = static_cast<std::uint8_t>(random());
      std::copy(data.begin(), data.end(), page.bytes.begin() + static_cast<std::ptrdiff_t>(at));
      writer.AddData(address + static_cast<std::uint32_t>(at), data, recordBytes);
    }
    package.pages.push_back(page);
  }
  std::vector<std::string> lines = writer.Lines();
  // A file cut short is one of the malformed files, refused whatever the fault.
  lines.push_back(kIntelHexEndRecord);
  package.content = Bytes(lines, lineEnd);
  return package;
}

CampaignPackage MalformedFontFile(std::mt19937& random) {
  const std::vector<testing::MalformedFile> files = testing::MalformedFiles();
  const testing::MalformedFile& chosen =
      files[static_cast<std::size_t>(Uniform(random, 0, static_cast<int>(files.size()) - 1))];
  CampaignPackage package = RandomFontFile(random);
  package.description = "malformed font file: " + chosen.kind;
  package.content = Bytes(chosen.lines, "\n");
  package.pages.clear();
  package.refused = true;
  return package;
}

CampaignPackage Colour240English() {
  CampaignPackage package;
  package.description = "240 x 240 English, built in";
  package.button = kIdWriteColour240English;
  // The symbol, Latin 16 and Latin 12 regions, each read on from its table's start; bytes past the
  // block's end are the filler the job sends there.
  const struct {
    std::uint32_t flash;
    std::size_t blockOffset;
    int pages;
  } regions[] = {{0x0F0000, kFontAsciiSymbols.offset, 58},
                 {0x0F4000, kFontLatin16x32.offset, 41},
                 {0x0F7000, kFontLatin12x32.offset, 31}};
  for (const auto& region : regions) {
    for (int i = 0; i < region.pages; ++i) {
      ExpectedPage page{region.flash + static_cast<std::uint32_t>(i) * 256, {}};
      for (std::size_t b = 0; b < 256; ++b) {
        const std::size_t from = region.blockOffset + static_cast<std::size_t>(i) * 256 + b;
        page.bytes[b] = from < kBuiltinFontBlock.size() ? kBuiltinFontBlock[from] : kColourPageFiller;
      }
      package.pages.push_back(page);
    }
  }
  return package;
}

CampaignPackage ShortImageFile(std::mt19937& random) {
  const bool korean = Uniform(random, 0, 1) == 0;
  const ColourImageFile& image = korean ? kKoreanImageFile : kTraditionalImageFile;
  CampaignPackage package = Colour240English();
  package.button = korean ? kIdWriteColour240Korean : kIdWriteColour240TraditionalChinese;
  package.fileName = image.name;
  // Anything from empty to one byte short of what the file region takes.
  const int size = Uniform(random, 0, static_cast<int>(image.RequiredSize()) - 1);
  package.content.assign(static_cast<std::size_t>(size), 0x5A);
  package.description = std::string("image file cut short at ") + std::to_string(size) + " bytes";
  package.refused = true;
  return package;
}

}  // namespace quillon::campaign
