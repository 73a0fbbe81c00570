// The Latin-script parts of the block, drawn with a monospace outline font: the ASCII sections of the
// first table, the three Latin tables, and the large digits.
#pragma once

#include "tools/fontgen/font_block_image.h"
#include "tools/glyphs/cell_text.h"
#include "tools/glyphs/outline_font.h"

namespace quillon::tools {

// ASCII 12 × 32 and 16 × 32, and the Latin tables 16 × 32, 12 × 32 and 12 × 32 in 16-pixel cells,
// all on one baseline.
void DrawLatinScript(OutlineFont& mono, FontBlockImage& block, Problems& problems);
// The digits and the colon, 24 × 64, for a clock: a bold cut reads best stretched this tall.
void DrawLargeDigits(OutlineFont& mono, FontBlockImage& block, Problems& problems);

}  // namespace quillon::tools
