// The sample packages for the demo and the tests: five Intel-HEX font packages and two raw colour-screen
// font images, in layouts of our own. Every glyph uses the block's 1-bit format (rows from the top, the
// leftmost pixel in the most significant bit); glyphs follow each other in the order of their character
// set's codes, and a code the set leaves unassigned keeps a blank glyph.
//
// "flash.txt" (simplified Chinese)
//   0x000000  GB2312, 16 x 16: rows 0xA1..0xF7 x cells 0xA1..0xFE, 8178 glyphs of 32 bytes
//   0x040000  ASCII 0x20..0x7F, 8 x 16: 96 glyphs of 16 bytes
//   The rest, up to 0x0614FF, erased (0xFF): the package covers the whole font space, 1557 pages.
// "KoreaFlash.txt" (Korean)
//   0x000000  KS X 1001 (EUC-KR), 16 x 16: rows 0xA1..0xFE x 94 cells, 8836 glyphs (Hangul, hanja, symbols)
//   0x050000  ASCII 0x20..0x7F, 8 x 16
// "FTfont.txt" (traditional Chinese)
//   0x000000  Big5, 16 x 16: lead bytes 0xA1..0xC6 x trail bytes 0x40..0x7E, 0xA1..0xFE, 5966 glyphs
//             (the symbols and the 5401 frequent characters; the rest of Big5 does not fit below 0x61500)
//   0x030000  ASCII 0x20..0x7F, 8 x 16
// "Janpanesefont.txt" (Japanese)
//   0x000000  JIS X 0208 (EUC-JP), 16 x 16: rows 0xA1..0xF4 x 94 cells, 7896 glyphs
//   0x040000  ASCII 0x20..0x7F, 8 x 16
// "Bigfont.txt" (large ASCII)
//   0x000000  ASCII 0x20..0x7F, 16 x 32 (64 bytes each)
//   0x002000  ASCII 0x20..0x7F, 24 x 48 (144 bytes each)
//   0x006000  ASCII 0x20..0x7F, 32 x 64 (256 bytes each)
// Each package holds the pages its glyphs touch, whole: bytes of a page past a glyph table are 0xFF.
// Records: 32 data bytes each, eight per page in address order, an extended linear address record
// before the first page and wherever the upper 16 address bits change, the end record last.
//
// "Korea_color240_32X32.bin" (1446656 bytes; the station writes bytes 0x80000..0x1612FF)
//   0x000000  KS X 1001, 16 x 16, all 8836 glyphs; zeros up to 0x7FFFF
//   0x080000  KS X 1001, 32 x 32: rows 0xA1..0xC8 (symbols and the 2350 Hangul syllables), 3760 glyphs
//             of 128 bytes; zeros to the end
// "FT_color240_32X32.bin" (922368 bytes; the station writes all of it)
//   0x000000  Big5, 32 x 32: lead bytes 0xA1..0xC6, 5966 glyphs of 128 bytes; zeros to the end
//
// The glyphs come from WenQuanYi Zen Hei (CJK and Hangul; its hand-drawn bitmaps at 16 pixels) and
// DejaVu Sans Mono (ASCII).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "fonts/font_layout.h"

namespace quillon::tools {

// How the codes of a character set run: single bytes, or a lead byte followed by one of the 94 trail
// bytes 0xA1..0xFE (GB2312, KS X 1001, JIS X 0208 in EUC form) or one of Big5's 157 (0x40..0x7E,
// 0xA1..0xFE).
enum class TrailBytes { kNone, kEuc, kBig5 };

// The codes of a character set in the order a font stores their glyphs.
struct CodeTable {
  std::string_view iconvName;  // empty for ASCII
  int firstLead;
  int lastLead;
  TrailBytes trails;

  constexpr int CellsPerRow() const {
    return trails == TrailBytes::kNone ? 1 : trails == TrailBytes::kEuc ? 94 : 157;
  }
  constexpr int Count() const { return (lastLead - firstLead + 1) * CellsPerRow(); }
  constexpr std::uint16_t CodeAt(int n) const {
    const int lead = firstLead + n / CellsPerRow();
    const int cell = n % CellsPerRow();
    if (trails == TrailBytes::kNone) return static_cast<std::uint16_t>(lead);
    const int trail = trails == TrailBytes::kEuc ? 0xA1 + cell : cell < 63 ? 0x40 + cell : 0xA1 + cell - 63;
    return static_cast<std::uint16_t>(lead << 8 | trail);
  }
  constexpr std::optional<int> IndexOf(std::uint16_t code) const {
    for (int n = 0; n < Count(); ++n) {
      if (CodeAt(n) == code) return n;
    }
    return std::nullopt;
  }
};

inline constexpr CodeTable kAscii{"", 0x20, 0x7F, TrailBytes::kNone};
inline constexpr CodeTable kGb2312{"GB2312", 0xA1, 0xF7, TrailBytes::kEuc};
inline constexpr CodeTable kKsX1001{"EUC-KR", 0xA1, 0xFE, TrailBytes::kEuc};
inline constexpr CodeTable kKsX1001ToHangul{"EUC-KR", 0xA1, 0xC8, TrailBytes::kEuc};
inline constexpr CodeTable kJisX0208{"EUC-JP", 0xA1, 0xF4, TrailBytes::kEuc};
inline constexpr CodeTable kBig5Frequent{"BIG5", 0xA1, 0xC6, TrailBytes::kBig5};

// A character set's glyphs of one size, stored from `start` (a flash address or a file offset).
struct GlyphRegion {
  std::uint32_t start;
  CodeTable codes;
  GlyphFormat format;

  constexpr std::uint32_t GlyphAddress(int n) const {
    return start + static_cast<std::uint32_t>(format.Bytes() * static_cast<std::size_t>(n));
  }
  constexpr std::uint32_t End() const { return GlyphAddress(codes.Count()); }
};

struct HexPackage {
  std::string_view fileName;
  std::span<const GlyphRegion> regions;
  // Every page below this address is in the package, erased where no glyph lies; 0 for none.
  std::uint32_t coveredUpTo;
};

struct ImageFile {
  std::string_view fileName;
  std::span<const GlyphRegion> regions;
  std::uint32_t size;
};

inline constexpr GlyphRegion kChineseRegions[] = {{0x000000, kGb2312, {16, 16}}, {0x040000, kAscii, {8, 16}}};
inline constexpr GlyphRegion kKoreanRegions[] = {{0x000000, kKsX1001, {16, 16}}, {0x050000, kAscii, {8, 16}}};
inline constexpr GlyphRegion kTraditionalRegions[] = {{0x000000, kBig5Frequent, {16, 16}},
                                                      {0x030000, kAscii, {8, 16}}};
inline constexpr GlyphRegion kJapaneseRegions[] = {{0x000000, kJisX0208, {16, 16}},
                                                   {0x040000, kAscii, {8, 16}}};
inline constexpr GlyphRegion kLargeAsciiRegions[] = {
    {0x000000, kAscii, {16, 32}}, {0x002000, kAscii, {24, 48}}, {0x006000, kAscii, {32, 64}}};

// The station's font space ends below this address.
inline constexpr std::uint32_t kFontSpaceEnd = 0x61500;

inline constexpr HexPackage kHexPackages[] = {
    {"flash.txt", kChineseRegions, kFontSpaceEnd}, {"KoreaFlash.txt", kKoreanRegions, 0},
    {"FTfont.txt", kTraditionalRegions, 0},        {"Janpanesefont.txt", kJapaneseRegions, 0},
    {"Bigfont.txt", kLargeAsciiRegions, 0},
};

inline constexpr GlyphRegion kKoreanImageRegions[] = {{0x000000, kKsX1001, {16, 16}},
                                                      {0x080000, kKsX1001ToHangul, {32, 32}}};
inline constexpr GlyphRegion kTraditionalImageRegions[] = {{0x000000, kBig5Frequent, {32, 32}}};

inline constexpr ImageFile kImageFiles[] = {
    {"Korea_color240_32X32.bin", kKoreanImageRegions, 0x161300},
    {"FT_color240_32X32.bin", kTraditionalImageRegions, 0xE1300},
};

}  // namespace quillon::tools
