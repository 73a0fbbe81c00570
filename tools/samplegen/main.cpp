// quillon-samplegen: writes the sample font packages and colour-screen font images (layouts in
// sample_packages.h) into a directory, for the demo and the tests.
#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "package/hex_writer.h"
#include "tools/samplegen/sample_glyphs.h"
#include "tools/samplegen/sample_packages.h"

namespace quillon::tools {
namespace {

using FlashPage = std::array<std::uint8_t, 256>;
// Pages by their flash address (a multiple of 256), in address order.
using FlashPages = std::map<std::uint32_t, FlashPage>;

constexpr const char* kUsage =
    "Usage: quillon-samplegen OUTPUT_DIRECTORY\n"
    "Writes the sample font packages (flash.txt, KoreaFlash.txt, FTfont.txt, Janpanesefont.txt,\n"
    "Bigfont.txt) and colour-screen font images (Korea_color240_32X32.bin, FT_color240_32X32.bin)\n"
    "into OUTPUT_DIRECTORY. Needs the Debian packages fonts-wqy-zenhei and fonts-dejavu-core.\n";

constexpr std::size_t kPageSize = std::tuple_size_v<FlashPage>;

FlashPage ErasedPage() {
  FlashPage page;
  page.fill(0xFF);
  return page;
}

FlashPages PackagePages(const HexPackage& package, SampleGlyphs& glyphs, Problems& problems) {
  FlashPages pages;
  for (const GlyphRegion& region : package.regions) {
    const std::vector<std::uint8_t> bytes = glyphs.Draw(region, problems);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const std::uint32_t address = region.start + static_cast<std::uint32_t>(i);
      const auto [page, added] = pages.try_emplace(address & ~0xFFu, ErasedPage());
      page->second[address & 0xFF] = bytes[i];
    }
  }
  for (std::uint32_t address = 0; address < package.coveredUpTo; address += kPageSize) {
    pages.try_emplace(address, ErasedPage());
  }
  return pages;
}

std::vector<std::uint8_t> ImageBytes(const ImageFile& image, SampleGlyphs& glyphs, Problems& problems) {
  std::vector<std::uint8_t> file(image.size, 0);
  for (const GlyphRegion& region : image.regions) {
    const std::vector<std::uint8_t> bytes = glyphs.Draw(region, problems);
    std::copy(bytes.begin(), bytes.end(), file.begin() + region.start);
  }
  return file;
}

bool WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (file.flush()) return true;
  std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return false;
}

int Run(int argc, char** argv) {
  const bool help = argc == 2 && std::string_view(argv[1]) == "--help";
  if (argc != 2 || argv[1][0] == '-') {
    std::fputs(kUsage, help ? stdout : stderr);
    return help ? 0 : 2;
  }
  const std::filesystem::path directory = argv[1];
  std::error_code error;
  std::filesystem::create_directories(directory, error);

  Result<SampleGlyphs> glyphs = SampleGlyphs::Open();
  if (!glyphs) {
    std::fprintf(stderr, "%s\n", glyphs.Failure().words.c_str());
    return 1;
  }
  Problems problems;
  for (const HexPackage& package : kHexPackages) {
    const FlashPages pages = PackagePages(package, *glyphs, problems);
    IntelHexWriter hex;
    for (const auto& [address, page] : pages) hex.AddData(address, page);
    if (!WriteFile(directory / package.fileName, hex.Text("\n"))) return 1;
    std::printf("%-26s %5zu pages\n", std::string(package.fileName).c_str(), pages.size());
  }
  for (const ImageFile& image : kImageFiles) {
    const std::vector<std::uint8_t> bytes = ImageBytes(image, *glyphs, problems);
    if (!WriteFile(directory / image.fileName,
                   std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()))) {
      return 1;
    }
    std::printf("%-26s %7zu bytes\n", std::string(image.fileName).c_str(), bytes.size());
  }
  // A character set drawn for two files would otherwise say the same twice.
  std::fflush(stdout);
  for (const std::string& note : std::set<std::string>(problems.begin(), problems.end())) {
    std::fprintf(stderr, "note: %s\n", note.c_str());
  }
  return 0;
}

}  // namespace
}  // namespace quillon::tools

int main(int argc, char** argv) {
  return quillon::tools::Run(argc, argv);
}
