// quillon-fontpreview: renders glyphs of the built-in font block, or of a raw font image, to a PNG file
// for a person to look at.
#include <QImage>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fonts/builtin_font_block.h"
#include "tools/fontpreview/glyph_sheet.h"

namespace quillon::tools {
namespace {

constexpr const char* kUsage =
    "Usage: quillon-fontpreview TABLE FILE.png [OPTIONS]\n"
    "       quillon-fontpreview --raw WIDTHxHEIGHT IMAGE FILE.png [OPTIONS]\n"
    "Renders glyphs to a PNG file, each in its own cell, enlarged.\n"
    "TABLE is a table of the built-in font block: ascii-symbols, gb2312-32x32, gb2312-16x16,\n"
    "latin-16x32, latin-cell-16x32, latin-12x32, or block for all six. With --raw, IMAGE is a file\n"
    "of glyphs of that size back to back, such as a colour-screen font image.\n"
    "Options:\n"
    "  --first N     start at glyph N of every section (default 0)\n"
    "  --count N     show at most N glyphs of every section (default all)\n"
    "  --columns N   glyphs per line (default 16; 47, half a GB2312 row, for the GB2312 tables;\n"
    "                94 for the block)\n"
    "  --scale N     screen pixels per glyph pixel (default 2; 1 for gb2312-32x32 and the block)\n"
    "  --offset N    with --raw: skip N bytes of IMAGE first (0x... for hexadecimal)\n"
    "  --assets DIR  read the tables from the asset files in DIR, not from the built-in block\n";

struct Section {
  std::string_view table;
  GlyphRun run;
};

constexpr Section kSections[] = {
    {"ascii-symbols", kAsciiGlyphs12x32}, {"ascii-symbols", kAsciiGlyphs16x32},
    {"ascii-symbols", kLargeDigits24x64}, {"ascii-symbols", kPictures64x32},
    {"gb2312-32x32", kGb2312Glyphs32x32}, {"gb2312-16x16", kGb2312Glyphs16x16},
    {"latin-16x32", kLatinGlyphs16x32},   {"latin-cell-16x32", kLatinCellGlyphs16x32},
    {"latin-12x32", kLatinGlyphs12x32},
};

struct Options {
  std::vector<std::string> arguments;
  std::optional<GlyphFormat> raw;
  int first = 0;
  std::optional<int> count;
  std::optional<int> columns;
  std::optional<int> scale;
  long offset = 0;
  std::optional<std::string> assets;
};

std::optional<long> ParseNumber(std::string_view text) {
  const bool hex = text.starts_with("0x") || text.starts_with("0X");
  if (hex) text.remove_prefix(2);
  long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, hex ? 16 : 10);
  if (error != std::errc{} || end != text.data() + text.size() || value < 0 || text.empty())
    return std::nullopt;
  return value;
}

std::optional<GlyphFormat> ParseFormat(std::string_view text) {
  const auto x = text.find('x');
  if (x == std::string_view::npos) return std::nullopt;
  const auto width = ParseNumber(text.substr(0, x));
  const auto height = ParseNumber(text.substr(x + 1));
  if (!width || !height || *width <= 0 || *height <= 0 || (*width * *height) % 8 != 0) return std::nullopt;
  return GlyphFormat{static_cast<int>(*width), static_cast<int>(*height)};
}

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (!argument.starts_with("--")) {
      options.arguments.emplace_back(argument);
      continue;
    }
    if (i + 1 == argc) return std::nullopt;
    const std::string_view value = argv[++i];
    const auto number = ParseNumber(value);
    if (argument == "--raw") {
      options.raw = ParseFormat(value);
      if (!options.raw) return std::nullopt;
    } else if (argument == "--assets") {
      options.assets = std::string(value);
    } else if (!number) {
      return std::nullopt;
    } else if (argument == "--first") {
      options.first = static_cast<int>(*number);
    } else if (argument == "--count") {
      options.count = static_cast<int>(*number);
    } else if (argument == "--columns" && *number > 0) {
      options.columns = static_cast<int>(*number);
    } else if (argument == "--scale" && *number > 0) {
      options.scale = static_cast<int>(*number);
    } else if (argument == "--offset") {
      options.offset = *number;
    } else {
      return std::nullopt;
    }
  }
  if (options.arguments.size() != 2) return std::nullopt;
  return options;
}

std::optional<std::vector<std::uint8_t>> ReadFile(const std::filesystem::path& path, long offset) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  file.seekg(offset);
  std::vector<std::uint8_t> bytes;
  char chunk[65536];
  while (file.read(chunk, sizeof chunk) || file.gcount() > 0)
    bytes.insert(bytes.end(), chunk, chunk + file.gcount());
  return bytes;
}

// The block from the asset files of a directory, each of exactly its table's size.
std::optional<std::vector<std::uint8_t>> ReadAssets(const std::filesystem::path& directory) {
  std::vector<std::uint8_t> block;
  for (const FontTable& table : kFontTables) {
    const auto bytes = ReadFile(directory / table.assetFile, 0);
    if (!bytes || bytes->size() != table.size) {
      std::fprintf(stderr, "%s is missing or not %zu bytes long\n", (directory / table.assetFile).c_str(),
                   table.size);
      return std::nullopt;
    }
    block.insert(block.end(), bytes->begin(), bytes->end());
  }
  return block;
}

GlyphStrip Window(std::span<const std::uint8_t> bytes, GlyphFormat format, int available,
                  const Options& options) {
  const int first = std::min(options.first, available);
  const int count = std::min(options.count.value_or(available), available - first);
  return {bytes.subspan(first * format.Bytes()), format, count};
}

SheetStyle DefaultStyle(std::string_view what) {
  if (what == "block") return {kGb2312CellsPerRow, 1};
  if (what == "gb2312-32x32") return {kGb2312CellsPerRow / 2, 1};
  if (what == "gb2312-16x16") return {kGb2312CellsPerRow / 2, 2};
  return {16, 2};
}

int Run(int argc, char** argv) {
  if (argc == 2 && std::string_view(argv[1]) == "--help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  const auto options = ParseOptions(argc, argv);
  if (!options) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string& what = options->arguments[0];
  const std::string& output = options->arguments[1];

  std::vector<std::uint8_t> loaded;
  std::span<const std::uint8_t> block = kBuiltinFontBlock;
  std::vector<GlyphStrip> strips;
  if (options->raw) {
    auto image = ReadFile(what, options->offset);
    if (!image) {
      std::fprintf(stderr, "cannot read %s\n", what.c_str());
      return 1;
    }
    loaded = std::move(*image);
    const int available = static_cast<int>(loaded.size() / options->raw->Bytes());
    strips.push_back(Window(loaded, *options->raw, available, *options));
  } else {
    if (options->assets) {
      auto assets = ReadAssets(*options->assets);
      if (!assets) return 1;
      loaded = std::move(*assets);
      block = loaded;
    }
    for (const Section& section : kSections) {
      if (what != "block" && what != section.table) continue;
      strips.push_back(
          Window(block.subspan(section.run.offset), section.run.format, section.run.count, *options));
    }
    if (strips.empty()) {
      std::fprintf(stderr, "no table named %s\n%s", what.c_str(), kUsage);
      return 2;
    }
  }
  const SheetStyle defaults = DefaultStyle(options->raw ? "" : what);
  const SheetStyle style{options->columns.value_or(defaults.columns),
                         options->scale.value_or(defaults.scale)};
  if (!DrawGlyphSheet(strips, style).save(QString::fromStdString(output), "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", output.c_str());
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace quillon::tools

int main(int argc, char** argv) {
  return quillon::tools::Run(argc, argv);
}
