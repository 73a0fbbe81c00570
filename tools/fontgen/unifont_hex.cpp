#include "tools/fontgen/unifont_hex.h"

#include <charconv>
#include <cstdint>
#include <fstream>

namespace quillon::tools {
namespace {

constexpr int kHeight = 16;

int HexValue(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  return -1;
}

std::optional<Canvas> ParseBitmap(const std::string& digits) {
  if (digits.size() != 32 && digits.size() != 64) return std::nullopt;
  const int width = static_cast<int>(digits.size()) * 4 / kHeight;
  Canvas glyph(width, kHeight);
  for (std::size_t i = 0; i < digits.size(); ++i) {
    const int value = HexValue(digits[i]);
    if (value < 0) return std::nullopt;
    for (int bit = 0; bit < 4; ++bit) {
      const int pixel = static_cast<int>(i) * 4 + bit;
      if (value & (8 >> bit)) glyph.Set(pixel % width, pixel / width);
    }
  }
  return glyph;
}

}  // namespace

Result<UnifontGlyphs> ReadUnifontHex(const std::string& path) {
  std::ifstream file(path);
  if (!file) return Problem{ProblemKind::kInputMissing, "cannot read " + path};
  UnifontGlyphs glyphs;
  std::string line;
  for (int number = 1; std::getline(file, line); ++number) {
    const auto colon = line.find(':');
    std::optional<Canvas> bitmap;
    std::uint32_t code = 0;
    if (colon != std::string::npos) {
      const auto parsed = std::from_chars(line.data(), line.data() + colon, code, 16);
      if (parsed.ec == std::errc{} && parsed.ptr == line.data() + colon && colon > 0) {
        bitmap = ParseBitmap(line.substr(colon + 1));
      }
    }
    if (!bitmap)
      return Problem{ProblemKind::kInputRefused, path + ":" + std::to_string(number) + ": not a glyph line"};
    glyphs.emplace(static_cast<char32_t>(code), std::move(*bitmap));
  }
  return glyphs;
}

}  // namespace quillon::tools
