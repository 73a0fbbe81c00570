// Characters of an outline font set in fixed cells: one baseline for a whole set of characters, and each
// character centred on its advance.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "fonts/font_layout.h"
#include "tools/glyphs/outline_font.h"

namespace quillon::tools {

// What went wrong while drawing: a glyph a font lacks, ink that did not fit its cell.
using Problems = std::vector<std::string>;

// The em in pixels, wide and high.
struct EmSize {
  int width;
  int height;
};

// The baseline that centres, in a cell `cellHeight` high, the band from the highest ink to the lowest
// among `characters` at every em in `ems`. One baseline for all of them keeps text written in any mix
// of these glyphs on one line. A band taller than the cell is reported.
int FitBaseline(OutlineFont& font, std::span<const EmSize> ems, std::span<const char32_t> characters,
                int cellHeight, Problems& problems);

// `c` centred in a cell of `format` on `baseline`, from an em of `em`. A character wider than the cell
// (d with caron in a narrow cell, for one) is drawn from a narrower em until it fits, at the same height.
// A character the font lacks is reported and left blank.
Canvas DrawInCell(OutlineFont& font, char32_t c, EmSize em, GlyphFormat format, int baseline,
                  Rasterising rasterising, Problems& problems);

}  // namespace quillon::tools
