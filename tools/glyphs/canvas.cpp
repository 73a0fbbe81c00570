#include "tools/glyphs/canvas.h"

#include <algorithm>
#include <cstdlib>

#include "fonts/glyph_bits.h"

namespace quillon::tools {

void Canvas::FillRect(int x, int y, int width, int height) {
  for (int row = y; row < y + height; ++row) {
    for (int column = x; column < x + width; ++column) Set(column, row);
  }
}

void Canvas::Line(int x0, int y0, int x1, int y1, int thickness) {
  // Bresenham's walk, stamping a square brush at every step.
  const int dx = std::abs(x1 - x0);
  const int dy = -std::abs(y1 - y0);
  const int stepX = x0 < x1 ? 1 : -1;
  const int stepY = y0 < y1 ? 1 : -1;
  int error = dx + dy;
  for (;;) {
    FillRect(x0, y0, thickness, thickness);
    if (x0 == x1 && y0 == y1) return;
    const int doubled = 2 * error;
    if (doubled >= dy) {
      error += dy;
      x0 += stepX;
    }
    if (doubled <= dx) {
      error += dx;
      y0 += stepY;
    }
  }
}

void Canvas::Draw(const Canvas& source, int x, int y) {
  for (int row = 0; row < source.m_height; ++row) {
    for (int column = 0; column < source.m_width; ++column) {
      if (source.At(column, row)) Set(x + column, y + row);
    }
  }
  m_clipped += source.m_clipped;
}

Canvas Canvas::Crop(int x, int y, int width, int height) const {
  Canvas part(width, height);
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      if (At(x + column, y + row)) part.Set(column, row);
    }
  }
  return part;
}

bool Canvas::Blank() const {
  return std::all_of(m_pixels.begin(), m_pixels.end(), [](std::uint8_t pixel) { return pixel == 0; });
}

void Canvas::Pack(std::span<std::uint8_t> glyph) const {
  std::fill(glyph.begin(), glyph.end(), 0);
  const GlyphFormat format{m_width, m_height};
  for (int row = 0; row < m_height; ++row) {
    for (int column = 0; column < m_width; ++column) {
      if (At(column, row)) SetGlyphPixel(glyph, format, column, row);
    }
  }
}

}  // namespace quillon::tools
