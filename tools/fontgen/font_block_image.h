// The built-in font block as the generator assembles it, glyph by glyph, before it is written out as
// the asset files of its six tables.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fonts/font_layout.h"
#include "tools/glyphs/canvas.h"
#include "tools/glyphs/cell_text.h"

namespace quillon::tools {

class FontBlockImage {
 public:
  FontBlockImage() : m_bytes(kBuiltinFontBlockSize, 0) {}

  // Packs `glyph` as glyph n of `run`. A canvas whose size is not the run's glyph size, or whose ink was
  // clipped while it was drawn, is reported and not stored.
  void Put(const GlyphRun& run, int n, const Canvas& glyph, Problems& problems);

  std::span<const std::uint8_t> Table(const FontTable& table) const {
    return std::span<const std::uint8_t>(m_bytes).subspan(table.offset, table.size);
  }

 private:
  std::vector<std::uint8_t> m_bytes;
};

}  // namespace quillon::tools
