#include "tools/fontgen/latin_glyphs.h"

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "fonts/latin_characters.h"
#include "tools/glyphs/code_point.h"

namespace quillon::tools {
namespace {

// The em in pixels, wide and high.
struct EmSize {
  int width;
  int height;
};

// A monospace em w pixels wide advances about 0.6 w, so these fill 12- and 16-pixel cells. The em is
// taller than wide in the narrow cell: the 12-pixel glyphs are a condensed cut of the same letters.
constexpr EmSize kEm12{20, 26};
constexpr EmSize kEm16{26, 26};
constexpr int kTextCellHeight = 32;

constexpr EmSize kDigitEm{40, 72};
constexpr char32_t kLargeDigitCharacters[] = U"0123456789:";

// The baseline that centres, in a cell `cellHeight` high, the band from the highest ink to the lowest
// among `characters` at every em in `ems`. One baseline for all of them keeps text written in any mix
// of these glyphs on one line.
int FitBaseline(OutlineFont& font, std::span<const EmSize> ems, std::span<const char32_t> characters,
                int cellHeight, Problems& problems) {
  int ascent = 0;
  int descent = 0;
  for (const EmSize em : ems) {
    font.SetPixelSize(em.width, em.height);
    for (const char32_t c : characters) {
      const auto glyph = font.Render(c, Rasterising::kMonochrome);
      if (!glyph || glyph->ink.Blank()) continue;
      ascent = std::max(ascent, glyph->top);
      descent = std::max(descent, glyph->Descent());
    }
  }
  if (ascent + descent > cellHeight) {
    problems.push_back("text " + std::to_string(ascent + descent) + " pixels high does not fit cells " +
                       std::to_string(cellHeight) + " high");
  }
  return (cellHeight - ascent - descent) / 2 + ascent;
}

// `c` centred in a cell of `format` on `baseline`. A few letters (d with caron, for one) are wider than
// a narrow cell: they are drawn from a narrower em until they fit, at the same height.
Canvas DrawCharacter(OutlineFont& font, char32_t c, EmSize em, GlyphFormat format, int baseline,
                     Problems& problems) {
  Canvas glyph(format.width, format.height);
  if (!font.Has(c)) {
    problems.push_back("the monospace font lacks " + CodePointName(c));
    return glyph;
  }
  for (int width = em.width; width > em.width / 2; --width) {
    font.SetPixelSize(width, em.height);
    const auto rendered = font.Render(c, Rasterising::kMonochrome);
    if (rendered && rendered->ink.Width() <= format.width) break;
  }
  font.DrawCentred(c, glyph, baseline, Rasterising::kMonochrome);
  font.SetPixelSize(em.width, em.height);
  return glyph;
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
