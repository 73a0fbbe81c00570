#include "tools/fontgen/font_block_image.h"

namespace quillon::tools {

void FontBlockImage::Put(const GlyphRun& run, int n, const Canvas& glyph, Problems& problems) {
  const std::string name = std::string(run.name) + " glyph " + std::to_string(n);
  if (glyph.Width() != run.format.width || glyph.Height() != run.format.height) {
    problems.push_back(name + ": drawn in the wrong size");
    return;
  }
  if (glyph.ClippedPixels() > 0) {
    problems.push_back(name + ": " + std::to_string(glyph.ClippedPixels()) + " pixels outside its cell");
    return;
  }
  glyph.Pack(std::span<std::uint8_t>(m_bytes).subspan(run.GlyphOffset(n), run.format.Bytes()));
}

}  // namespace quillon::tools
