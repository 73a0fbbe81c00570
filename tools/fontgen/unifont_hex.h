// GNU Unifont's glyphs from its .hex file: one line per character, "XXXX:" and then 16 rows of 8 or 16
// pixels as 32 or 64 hexadecimal digits.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "texts/problem.h"
#include "tools/glyphs/canvas.h"

namespace quillon::tools {

using UnifontGlyphs = std::map<char32_t, Canvas>;

// Every glyph of the file, each 8 or 16 pixels wide and 16 high; a problem when the file cannot be read
// or a line is malformed.
Result<UnifontGlyphs> ReadUnifontHex(const std::string& path);

}  // namespace quillon::tools
