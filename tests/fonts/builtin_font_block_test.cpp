#include "fonts/builtin_font_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fonts/latin_characters.h"
#include "tests/fonts/glyph_measures.h"

namespace quillon {
namespace {

using testing::Blank;
using testing::BottomInkRow;
using testing::InkInRow;
using testing::InkPixels;
using testing::RowInk;
using testing::TopInkRow;

int Gb2312(std::uint16_t code) {
  return Gb2312GlyphIndex(code).value();
}

// Both GB2312 tables at one position.
struct Gb2312Pair {
  std::span<const std::uint8_t> large;
  std::span<const std::uint8_t> small;
};
Gb2312Pair Gb2312Glyphs(int n) {
  return {GlyphBytes(kGb2312Glyphs32x32, n), GlyphBytes(kGb2312Glyphs16x16, n)};
}
bool BothBlank(int n) {
  const auto [large, small] = Gb2312Glyphs(n);
  return Blank(large, kGb2312Glyphs32x32.format) && Blank(small, kGb2312Glyphs16x16.format);
}
bool NeitherBlank(int n) {
  const auto [large, small] = Gb2312Glyphs(n);
  return !Blank(large, kGb2312Glyphs32x32.format) && !Blank(small, kGb2312Glyphs16x16.format);
}

TEST(BuiltinFontBlock, HasItsSizeAndEveryTableItsPlace) {
  EXPECT_EQ(kBuiltinFontBlock.size(), 1351472u);
  const struct {
    FontTable table;
    std::size_t offset;
    std::size_t size;
  } expected[] = {
      {kFontAsciiSymbols, 0, 14656},         {kFontGb2312_32x32, 14656, 1046784},
      {kFontGb2312_16x16, 1061440, 261696},  {kFontLatin16x32, 1323136, 10304},
      {kFontLatinCell16x32, 1333440, 10304}, {kFontLatin12x32, 1343744, 7728},
  };
  std::size_t end = 0;
  for (const auto& [table, offset, size] : expected) {
    SCOPED_TRACE(std::string(table.assetFile));
    EXPECT_EQ(table.offset, offset);
    EXPECT_EQ(table.size, size);
    EXPECT_EQ(table.offset, end) << "tables follow each other without a gap";
    EXPECT_EQ(TableBytes(table).data(), kBuiltinFontBlock.data() + offset);
    end = table.End();
  }
  EXPECT_EQ(end, kBuiltinFontBlock.size());
}

TEST(BuiltinFontBlock, SectionsOfTheFirstTableStartWhereTheyShould) {
  EXPECT_EQ(kAsciiGlyphs16x32.offset, 4608u);
  EXPECT_EQ(kLargeDigits24x64.offset, 10752u);
  EXPECT_EQ(kPictures64x32.offset, 12864u);
  EXPECT_EQ(kAsciiGlyphs12x32.GlyphOffset('A' - 0x20), 1584u);
  EXPECT_EQ(kAsciiGlyphs16x32.GlyphOffset('A' - 0x20), 6720u);
}

TEST(BuiltinFontBlock, AsciiSectionsHoldEveryPrintableCharacterAndLeaveSpaceAndDeleteBlank) {
  for (const GlyphRun& run : {kAsciiGlyphs12x32, kAsciiGlyphs16x32}) {
    SCOPED_TRACE(std::string(run.name));
    EXPECT_TRUE(Blank(GlyphBytes(run, 0x20 - 0x20), run.format));
    EXPECT_TRUE(Blank(GlyphBytes(run, 0x7F - 0x20), run.format));
    for (int c = 0x21; c < 0x7F; ++c) EXPECT_FALSE(Blank(GlyphBytes(run, c - 0x20), run.format)) << c;
  }
  EXPECT_FALSE(Blank(kBuiltinFontBlock.subspan(1584, 48), kAsciiGlyphs12x32.format));
  EXPECT_FALSE(Blank(kBuiltinFontBlock.subspan(6720, 64), kAsciiGlyphs16x32.format));
}

TEST(BuiltinFontBlock, LettersStandOnOneBaselineInEveryTextSection) {
  // Letters and digits whose ink ends flat on the baseline: no descender, no overshoot.
  const std::u32string asciiFlat = U"ABDEHIKLMNPRTXZhiklmnrxz1247";
  const std::u32string latinFlat = U"ÀÁÂÄÈÉÊËÌÍÎÏÑÝŽŇŘŤĚĎŁìíîïñřň";
  const int baseline = BottomInkRow(GlyphBytes(kAsciiGlyphs16x32, 'H' - 0x20), kAsciiGlyphs16x32.format);
  EXPECT_GT(baseline, 20);
  for (const GlyphRun& run : {kAsciiGlyphs12x32, kAsciiGlyphs16x32}) {
    for (const char32_t c : asciiFlat) {
      EXPECT_EQ(BottomInkRow(GlyphBytes(run, static_cast<int>(c) - 0x20), run.format), baseline)
          << run.name << " " << static_cast<char>(c);
    }
  }
  for (const GlyphRun& run : {kLatinGlyphs16x32, kLatinCellGlyphs16x32, kLatinGlyphs12x32}) {
    for (const char32_t c : latinFlat) {
      EXPECT_EQ(BottomInkRow(GlyphBytes(run, LatinGlyphIndex(c).value()), run.format), baseline)
          << run.name << " U+" << std::hex << static_cast<unsigned>(c);
    }
  }
}

TEST(BuiltinFontBlock, LargeDigitsAreElevenDifferentGlyphs) {
  const GlyphRun& run = kLargeDigits24x64;
  for (int n = 0; n < run.count; ++n) {
    EXPECT_FALSE(Blank(GlyphBytes(run, n), run.format)) << n;
    for (int other = 0; other < n; ++other) {
      EXPECT_FALSE(std::ranges::equal(GlyphBytes(run, n), GlyphBytes(run, other))) << n << " " << other;
    }
  }
  // The colon is two dots: far less ink than any digit.
  EXPECT_LT(InkPixels(GlyphBytes(run, 10), run.format), InkPixels(GlyphBytes(run, 1), run.format) / 2);
}

TEST(BuiltinFontBlock, BatteryPicturesFillUpAndTheEnvelopeHasBothHalves) {
  const GlyphRun& run = kPictures64x32;
  for (int level = 1; level < 5; ++level) {
    EXPECT_GT(InkPixels(GlyphBytes(run, level), run.format),
              InkPixels(GlyphBytes(run, level - 1), run.format))
        << "battery level " << level;
  }
  const auto upper = GlyphBytes(run, 5);
  const auto lower = GlyphBytes(run, 6);
  EXPECT_FALSE(Blank(upper, run.format));
  EXPECT_FALSE(Blank(lower, run.format));
  // The envelope's frame runs down both halves: its sides reach the edge where the halves meet.
  EXPECT_EQ(BottomInkRow(upper, run.format), run.format.height - 1);
  EXPECT_TRUE(GlyphPixel(lower, run.format, 2, 0) && GlyphPixel(lower, run.format, 61, 0));
}

TEST(BuiltinFontBlock, Gb2312PositionsFollowTheCodeOrder) {
  EXPECT_EQ(Gb2312(0xA1A1), 0);
  EXPECT_EQ(Gb2312(0xA3C1), 220);
  EXPECT_EQ(Gb2312(0xB0A1), 1410);
  EXPECT_EQ(Gb2312(0xF7FE), 8177);
  EXPECT_FALSE(Gb2312GlyphIndex(0xA0A1));
  EXPECT_FALSE(Gb2312GlyphIndex(0xF8A1));
  EXPECT_FALSE(Gb2312GlyphIndex(0xB0A0));
  EXPECT_FALSE(Gb2312GlyphIndex(0xB0FF));
}

TEST(BuiltinFontBlock, Gb2312TablesBeginWithTheIdeographicSpaceAndHoldTheFullWidthCapitalAAt220) {
  EXPECT_TRUE(BothBlank(0));
  EXPECT_TRUE(NeitherBlank(220));
  EXPECT_TRUE(NeitherBlank(1410)) << "the first level-1 character";
  // A capital A: a narrow apex on top, two legs at the bottom. The "B" beside it stands on one bar.
  for (const GlyphRun& run : {kGb2312Glyphs32x32, kGb2312Glyphs16x16}) {
    SCOPED_TRACE(std::string(run.name));
    const auto a = GlyphBytes(run, 220);
    const auto b = GlyphBytes(run, 221);
    const RowInk apex = InkInRow(a, run.format, TopInkRow(a, run.format));
    const RowInk feet = InkInRow(a, run.format, BottomInkRow(a, run.format));
    EXPECT_EQ(apex.runs, 1);
    EXPECT_EQ(feet.runs, 2);
    EXPECT_LT(apex.span * 2, feet.span);
    EXPECT_EQ(InkInRow(b, run.format, BottomInkRow(b, run.format)).runs, 1);
  }
}

TEST(BuiltinFontBlock, Gb2312UnassignedPositionsAreBlank) {
  for (int row = 0xAA; row <= 0xAF; ++row) {
    for (int cell = 0xA1; cell <= 0xFE; ++cell)
      EXPECT_TRUE(BothBlank(Gb2312(row << 8 | cell))) << row << cell;
  }
  for (std::uint16_t code = 0xD7FA; code <= 0xD7FE; ++code) EXPECT_TRUE(BothBlank(Gb2312(code))) << code;
  // The symbol rows have gaps too: row 2 begins at cell 0xB1.
  EXPECT_TRUE(BothBlank(Gb2312(0xA2A1)));
  EXPECT_TRUE(NeitherBlank(Gb2312(0xA2B1)));
}

TEST(BuiltinFontBlock, Gb2312EveryHanziIsDrawnInBothSizes) {
  int drawn = 0;
  for (int n = Gb2312(0xB0A1); n < kGb2312Glyphs32x32.count; ++n) drawn += NeitherBlank(n);
  EXPECT_EQ(drawn, 6763);
}

TEST(BuiltinFontBlock, LatinTablesHoldEveryCharacterAndTheCellsCopyTheNarrowGlyphs) {
  const GlyphFormat narrow = kLatinGlyphs12x32.format;
  const GlyphFormat cell = kLatinCellGlyphs16x32.format;
  for (int n = 0; n < kLatinGlyphCount; ++n) {
    EXPECT_FALSE(Blank(GlyphBytes(kLatinGlyphs16x32, n), kLatinGlyphs16x32.format)) << n;
    EXPECT_FALSE(Blank(GlyphBytes(kLatinGlyphs12x32, n), narrow)) << n;
    const auto narrowGlyph = GlyphBytes(kLatinGlyphs12x32, n);
    const auto cellGlyph = GlyphBytes(kLatinCellGlyphs16x32, n);
    for (int y = 0; y < cell.height; ++y) {
      for (int x = 0; x < cell.width; ++x) {
        const bool expected = x < narrow.width && GlyphPixel(narrowGlyph, narrow, x, y);
        ASSERT_EQ(GlyphPixel(cellGlyph, cell, x, y), expected) << "glyph " << n << " at " << x << "," << y;
      }
    }
  }
}

TEST(GlyphBits, TwelvePixelRowsShareBytes) {
  std::uint8_t glyph[48] = {};
  const GlyphFormat format{12, 32};
  SetGlyphPixel(glyph, format, 0, 1);   // bit 12: the fifth bit of the second byte
  SetGlyphPixel(glyph, format, 11, 1);  // bit 23: the last bit of the third byte
  EXPECT_EQ(glyph[0], 0x00);
  EXPECT_EQ(glyph[1], 0x08);
  EXPECT_EQ(glyph[2], 0x01);
  EXPECT_TRUE(GlyphPixel(glyph, format, 0, 1));
  EXPECT_FALSE(GlyphPixel(glyph, format, 0, 0));
  EXPECT_FALSE(GlyphPixel(glyph, format, 1, 1));
}

}  // namespace
}  // namespace quillon
