// quillon-fontgen: draws the built-in font block from fonts that Debian packages and writes its six
// tables as the asset files that the build embeds. The same packages give the same bytes.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/fontgen/font_block_image.h"
#include "tools/fontgen/gb2312_glyphs.h"
#include "tools/fontgen/latin_glyphs.h"
#include "tools/fontgen/pictures.h"
#include "tools/fontgen/unifont_hex.h"
#include "tools/glyphs/font_files.h"
#include "tools/glyphs/legacy_charset.h"
#include "tools/glyphs/outline_font.h"

namespace quillon::tools {
namespace {

constexpr const char* kUsage =
    "Usage: quillon-fontgen OUTPUT_DIRECTORY\n"
    "Draws the built-in font block and writes its six tables into OUTPUT_DIRECTORY\n"
    "(fonts/assets to renew the station's). Needs the Debian packages fonts-dejavu-core,\n"
    "fonts-noto-cjk and unifont.\n";

std::optional<OutlineFont> OpenFont(const FontFile& file) {
  Result<OutlineFont> font = OutlineFont::Open(file.path, file.faceIndex);
  if (!font) {
    std::fprintf(stderr, "%s (install the Debian package %s)\n", font.Failure().words.c_str(),
                 file.debianPackage);
    return std::nullopt;
  }
  return std::move(*font);
}

void DrawPictures(FontBlockImage& block, Problems& problems) {
  for (int level = 0; level < kBatteryLevels; ++level)
    block.Put(kPictures64x32, level, DrawBattery(level), problems);
  const Canvas envelope = DrawEnvelope();
  const int half = kPictures64x32.format.height;
  block.Put(kPictures64x32, kBatteryLevels, envelope.Crop(0, 0, envelope.Width(), half), problems);
  block.Put(kPictures64x32, kBatteryLevels + 1, envelope.Crop(0, half, envelope.Width(), half), problems);
}

bool WriteTables(const FontBlockImage& block, const std::filesystem::path& directory) {
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  for (const FontTable& table : kFontTables) {
    const auto path = directory / table.assetFile;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    const auto bytes = block.Table(table);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return false;
    }
  }
  return true;
}

int Run(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '-') {
    std::fputs(kUsage, argc == 2 && std::string(argv[1]) == "--help" ? stdout : stderr);
    return argc == 2 && std::string(argv[1]) == "--help" ? 0 : 2;
  }
  auto mono = OpenFont(kDejaVuSansMono);
  auto bold = OpenFont(kDejaVuSansMonoBold);
  auto cjk = OpenFont(kNotoSansCjkSc);
  const Result<UnifontGlyphs> unifont = ReadUnifontHex(kUnifontHex);
  if (!unifont) {
    std::fprintf(stderr, "%s (install the Debian package %s)\n", unifont.Failure().words.c_str(),
                 kUnifontPackage);
  }
  auto gb2312 = LegacyCharset::Open("GB2312");
  if (!gb2312) std::fputs("the C library's iconv does not know GB2312\n", stderr);
  if (!mono || !bold || !cjk || !unifont || !gb2312) return 1;

  FontBlockImage block;
  Problems problems;
  DrawLatinScript(*mono, block, problems);
  DrawLargeDigits(*bold, block, problems);
  DrawPictures(block, problems);
  const int gb2312Characters = DrawGb2312Tables(*cjk, *unifont, *gb2312, block, problems);
  for (const std::string& problem : problems) std::fprintf(stderr, "%s\n", problem.c_str());
  if (!problems.empty()) {
    std::fprintf(stderr, "%zu problems; nothing written\n", problems.size());
    return 1;
  }
  if (!WriteTables(block, argv[1])) return 1;
  std::printf("Wrote the six tables of the built-in font block (%zu bytes) to %s\n", kBuiltinFontBlockSize,
              argv[1]);
  std::printf("GB2312: %d characters, %d positions left blank\n", gb2312Characters,
              kGb2312Glyphs32x32.count - gb2312Characters);
  return 0;
}

}  // namespace
}  // namespace quillon::tools

int main(int argc, char** argv) {
  return quillon::tools::Run(argc, argv);
}
