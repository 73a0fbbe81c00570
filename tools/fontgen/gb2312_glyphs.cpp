#include "tools/fontgen/gb2312_glyphs.h"

#include "tools/glyphs/code_point.h"

namespace quillon::tools {
namespace {

// An ideograph fills most of its em; an em of 30 pixels leaves a pixel all round in the 32-pixel cell,
// so neighbouring characters never touch. The baseline sits where CJK fonts put it, 0.88 em below the
// top of the em box.
constexpr int kEm32 = 30;
constexpr int kBaseline32 = 1 + kEm32 * 88 / 100;

void DrawUnifont(const UnifontGlyphs& unifont, char32_t c, Canvas& cell, Problems& problems) {
  const auto found = unifont.find(c);
  if (found == unifont.end()) {
    problems.push_back("Unifont lacks " + CodePointName(c));
    return;
  }
  // Unifont draws some GB2312 symbols (Greek, Cyrillic, pinyin) half width; GB2312 cells are full width.
  cell.Draw(found->second, (cell.Width() - found->second.Width()) / 2, 0);
}

}  // namespace

int DrawGb2312Tables(OutlineFont& cjk, const UnifontGlyphs& unifont, LegacyCharset& gb2312,
                     FontBlockImage& block, Problems& problems) {
  cjk.SetPixelSize(kEm32, kEm32);
  int assigned = 0;
  for (int n = 0; n < kGb2312Glyphs32x32.count; ++n) {
    const auto code =
        static_cast<std::uint16_t>((0xA1 + n / kGb2312CellsPerRow) << 8 | (0xA1 + n % kGb2312CellsPerRow));
    const auto c = gb2312.Decode(code);
    if (!c) continue;  // unassigned: both glyphs stay blank
    ++assigned;

    Canvas large(kGb2312Glyphs32x32.format.width, kGb2312Glyphs32x32.format.height);
    if (!cjk.DrawCentred(*c, large, kBaseline32, Rasterising::kHalfCoverage)) {
      problems.push_back("the CJK font lacks " + CodePointName(*c));
    }
    block.Put(kGb2312Glyphs32x32, n, large, problems);

    Canvas small(kGb2312Glyphs16x16.format.width, kGb2312Glyphs16x16.format.height);
    DrawUnifont(unifont, *c, small, problems);
    block.Put(kGb2312Glyphs16x16, n, small, problems);
  }
  return assigned;
}

}  // namespace quillon::tools
