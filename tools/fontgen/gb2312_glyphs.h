// The two GB2312 tables: 32 × 32 glyphs from an outline CJK font, 16 × 16 glyphs from GNU Unifont, a
// bitmap font drawn for that size. Positions GB2312 leaves unassigned stay blank.
#pragma once

#include "tools/fontgen/font_block_image.h"
#include "tools/fontgen/unifont_hex.h"
#include "tools/glyphs/legacy_charset.h"
#include "tools/glyphs/outline_font.h"

namespace quillon::tools {

// Returns how many GB2312 positions hold a character.
int DrawGb2312Tables(OutlineFont& cjk, const UnifontGlyphs& unifont, LegacyCharset& gb2312,
                     FontBlockImage& block, Problems& problems);

}  // namespace quillon::tools
