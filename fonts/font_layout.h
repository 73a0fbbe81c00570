// Where every byte of the built-in font block sits: six tables one after another, and inside them the
// runs of glyphs of one size. This header holds no glyphs, so the generator that makes the block can use
// it without the block itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quillon {

// One table of the block: its place and the asset file under fonts/assets/ that holds it.
struct FontTable {
  std::size_t offset;
  std::size_t size;
  std::string_view assetFile;

  constexpr std::size_t End() const { return offset + size; }
};

inline constexpr FontTable kFontAsciiSymbols{0, 14656, "ascii_symbols.bin"};
inline constexpr FontTable kFontGb2312_32x32{kFontAsciiSymbols.End(), 1046784, "gb2312_32x32.bin"};
inline constexpr FontTable kFontGb2312_16x16{kFontGb2312_32x32.End(), 261696, "gb2312_16x16.bin"};
inline constexpr FontTable kFontLatin16x32{kFontGb2312_16x16.End(), 10304, "latin_16x32.bin"};
inline constexpr FontTable kFontLatinCell16x32{kFontLatin16x32.End(), 10304, "latin_cell_16x32.bin"};
inline constexpr FontTable kFontLatin12x32{kFontLatinCell16x32.End(), 7728, "latin_12x32.bin"};

inline constexpr FontTable kFontTables[] = {kFontAsciiSymbols, kFontGb2312_32x32,   kFontGb2312_16x16,
                                            kFontLatin16x32,   kFontLatinCell16x32, kFontLatin12x32};

inline constexpr std::size_t kBuiltinFontBlockSize = kFontLatin12x32.End();
static_assert(kBuiltinFontBlockSize == 1351472);

// A glyph is one run of width × height bits, rows from the top, each row from its leftmost pixel, taken
// from every byte most significant bit first. Widths of 16, 24, 32 and 64 make whole bytes per row; a
// 12-pixel row simply shares its bytes with the next row, two rows in every three bytes.
struct GlyphFormat {
  int width;
  int height;

  constexpr std::size_t Bytes() const { return static_cast<std::size_t>(width * height / 8); }
};

// Glyphs of one format stored back to back from `offset` (counted from the start of the block).
struct GlyphRun {
  std::string_view name;
  std::size_t offset;
  GlyphFormat format;
  int count;

  constexpr std::size_t Size() const { return format.Bytes() * static_cast<std::size_t>(count); }
  constexpr std::size_t End() const { return offset + Size(); }
  constexpr std::size_t GlyphOffset(int n) const {
    return offset + format.Bytes() * static_cast<std::size_t>(n);
  }
};

// The ASCII section covers the codes 0x20..0x7F; glyph n is the code 0x20 + n.
inline constexpr char32_t kFirstAsciiCode = 0x20;
inline constexpr int kAsciiGlyphCount = 96;
inline constexpr int kGb2312RowCount = 87;
inline constexpr int kGb2312CellsPerRow = 94;
inline constexpr int kLatinGlyphCount = 161;

inline constexpr GlyphRun kAsciiGlyphs12x32{
    "ASCII 12x32", kFontAsciiSymbols.offset, {12, 32}, kAsciiGlyphCount};
inline constexpr GlyphRun kAsciiGlyphs16x32{
    "ASCII 16x32", kAsciiGlyphs12x32.End(), {16, 32}, kAsciiGlyphCount};
// The digits 0 to 9, then the colon.
inline constexpr GlyphRun kLargeDigits24x64{"digits 24x64", kAsciiGlyphs16x32.End(), {24, 64}, 11};
// Five battery symbols at rising charge, then the upper and the lower half of an envelope.
inline constexpr GlyphRun kPictures64x32{"pictures 64x32", kLargeDigits24x64.End(), {64, 32}, 7};
inline constexpr GlyphRun kGb2312Glyphs32x32{
    "GB2312 32x32", kFontGb2312_32x32.offset, {32, 32}, kGb2312RowCount* kGb2312CellsPerRow};
inline constexpr GlyphRun kGb2312Glyphs16x16{
    "GB2312 16x16", kFontGb2312_16x16.offset, {16, 16}, kGb2312RowCount* kGb2312CellsPerRow};
inline constexpr GlyphRun kLatinGlyphs16x32{
    "Latin 16x32", kFontLatin16x32.offset, {16, 32}, kLatinGlyphCount};
// The glyphs of kLatinGlyphs12x32 in 16-pixel-wide cells, the right 4 pixels of every row blank.
inline constexpr GlyphRun kLatinCellGlyphs16x32{
    "Latin 12x32 in 16x32 cells", kFontLatinCell16x32.offset, {16, 32}, kLatinGlyphCount};
inline constexpr GlyphRun kLatinGlyphs12x32{
    "Latin 12x32", kFontLatin12x32.offset, {12, 32}, kLatinGlyphCount};

static_assert(kPictures64x32.End() == kFontAsciiSymbols.End());
static_assert(kGb2312Glyphs32x32.End() == kFontGb2312_32x32.End());
static_assert(kGb2312Glyphs16x16.End() == kFontGb2312_16x16.End());
static_assert(kLatinGlyphs16x32.End() == kFontLatin16x32.End());
static_assert(kLatinCellGlyphs16x32.End() == kFontLatinCell16x32.End());
static_assert(kLatinGlyphs12x32.End() == kFontLatin12x32.End());

// The glyph number of a GB2312 code (row byte first, e.g. 0xB0A1), or nothing outside rows 0xA1..0xF7
// and cells 0xA1..0xFE.
constexpr std::optional<int> Gb2312GlyphIndex(std::uint16_t code) {
  const int row = code >> 8;
  const int cell = code & 0xFF;
  if (row < 0xA1 || row >= 0xA1 + kGb2312RowCount || cell < 0xA1 || cell > 0xFE) return std::nullopt;
  return (row - 0xA1) * kGb2312CellsPerRow + (cell - 0xA1);
}

}  // namespace quillon
