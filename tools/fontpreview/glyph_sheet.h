// A sheet of glyphs for a person to look at: every glyph in its own cell, enlarged, on a grid whose
// lines show where each cell ends, so clipped ink and a wandering baseline stand out.
#pragma once

#include <QImage>

#include <cstdint>
#include <span>
#include <vector>

#include "fonts/font_layout.h"

namespace quillon::tools {

// Glyphs of one format, back to back.
struct GlyphStrip {
  std::span<const std::uint8_t> bytes;
  GlyphFormat format;
  int count;
};

struct SheetStyle {
  int columns = 16;
  int scale = 2;
};

// The strips one under the other, each starting a new grid.
QImage DrawGlyphSheet(const std::vector<GlyphStrip>& strips, const SheetStyle& style);

}  // namespace quillon::tools
