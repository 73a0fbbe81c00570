#include "tools/glyphs/cell_text.h"

#include <algorithm>

#include "tools/glyphs/code_point.h"

namespace quillon::tools {

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

Canvas DrawInCell(OutlineFont& font, char32_t c, EmSize em, GlyphFormat format, int baseline,
                  Rasterising rasterising, Problems& problems) {
  Canvas glyph(format.width, format.height);
  if (!font.Has(c)) {
    problems.push_back("the font lacks " + CodePointName(c));
    return glyph;
  }
  for (int width = em.width; width > em.width / 2; --width) {
    font.SetPixelSize(width, em.height);
    const auto rendered = font.Render(c, rasterising);
    if (rendered && rendered->ink.Width() <= format.width) break;
  }
  font.DrawCentred(c, glyph, baseline, rasterising);
  font.SetPixelSize(em.width, em.height);
  return glyph;
}

}  // namespace quillon::tools
