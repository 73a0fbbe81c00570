#include "tools/fontgen/latin_glyphs.h"

#include <span>
#include <vector>

#include "fonts/latin_characters.h"

namespace quillon::tools {
namespace {

// A monospace em w pixels wide advances about 0.6 w, so these fill 12- and 16-pixel cells. The em is
// taller than wide in the narrow cell: the 12-pixel glyphs are a condensed cut of the same letters.
constexpr EmSize kEm12{20, 26};
constexpr EmSize kEm16{26, 26};
constexpr int kTextCellHeight = 32;

constexpr EmSize kDigitEm{40, 72};
constexpr char32_t kLargeDigitCharacters[] = U"0123456789:";

Canvas DrawCharacter(OutlineFont& font, char32_t c, EmSize em, GlyphFormat format, int baseline,
                     Problems& problems) {
  return DrawInCell(font, c, em, format, baseline, Rasterising::kMonochrome, problems);
}

void DrawAscii(OutlineFont& font, const GlyphRun& run, EmSize em, int baseline, FontBlockImage& block,
               Problems& problems) {
  for (int n = 0; n < run.count; ++n) {
    const char32_t c = kFirstAsciiCode + static_cast<char32_t>(n);
    // Space and DEL stay blank.
    if (c == U' ' || c == 0x7F) continue;
    block.Put(run, n, DrawCharacter(font, c, em, run.format, baseline, problems), problems);
  }
}

}  // namespace

void DrawLatinScript(OutlineFont& mono, FontBlockImage& block, Problems& problems) {
  std::vector<char32_t> characters(kLatinCharacters.begin(), kLatinCharacters.end());
  for (char32_t c = 0x21; c < 0x7F; ++c) characters.push_back(c);
  const EmSize ems[] = {kEm12, kEm16};
  const int baseline = FitBaseline(mono, ems, characters, kTextCellHeight, problems);

  DrawAscii(mono, kAsciiGlyphs12x32, kEm12, baseline, block, problems);
  DrawAscii(mono, kAsciiGlyphs16x32, kEm16, baseline, block, problems);
  for (int n = 0; n < kLatinGlyphCount; ++n) {
    const char32_t c = kLatinCharacters[n];
    const Canvas narrow = DrawCharacter(mono, c, kEm12, kLatinGlyphs12x32.format, baseline, problems);
    block.Put(kLatinGlyphs12x32, n, narrow, problems);
    Canvas cell(kLatinCellGlyphs16x32.format.width, kLatinCellGlyphs16x32.format.height);
    cell.Draw(narrow, 0, 0);
    block.Put(kLatinCellGlyphs16x32, n, cell, problems);
    block.Put(kLatinGlyphs16x32, n,
              DrawCharacter(mono, c, kEm16, kLatinGlyphs16x32.format, baseline, problems), problems);
  }
}

void DrawLargeDigits(OutlineFont& mono, FontBlockImage& block, Problems& problems) {
  const std::span<const char32_t> characters(kLargeDigitCharacters, kLargeDigits24x64.count);
  const EmSize ems[] = {kDigitEm};
  const int baseline = FitBaseline(mono, ems, characters, kLargeDigits24x64.format.height, problems);
  for (int n = 0; n < kLargeDigits24x64.count; ++n) {
    block.Put(kLargeDigits24x64, n,
              DrawCharacter(mono, characters[n], kDigitEm, kLargeDigits24x64.format, baseline, problems),
              problems);
  }
}

}  // namespace quillon::tools
