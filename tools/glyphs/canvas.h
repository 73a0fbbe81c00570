// A small 1-bit drawing surface: glyphs are rendered or drawn on it, then packed into the block's
// glyph format. Ink that falls outside is not drawn but counted, so a generator can refuse clipped glyphs.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace quillon::tools {

class Canvas {
 public:
  Canvas(int width, int height) : m_width(width), m_height(height), m_pixels(width * height, 0) {}

  int Width() const { return m_width; }
  int Height() const { return m_height; }
  int ClippedPixels() const { return m_clipped; }

  bool At(int x, int y) const { return Inside(x, y) && m_pixels[y * m_width + x]; }
  void Set(int x, int y) {
    if (Inside(x, y)) {
      m_pixels[y * m_width + x] = 1;
    } else {
      ++m_clipped;
    }
  }
  void FillRect(int x, int y, int width, int height);
  // A straight line from (x0, y0) to (x1, y1), `thickness` pixels wide and high.
  void Line(int x0, int y0, int x1, int y1, int thickness);
  // Copies `source` with its top left corner at (x, y).
  void Draw(const Canvas& source, int x, int y);
  // The part of this canvas `width` × `height` pixels from (x, y).
  Canvas Crop(int x, int y, int width, int height) const;

  bool Blank() const;
  // The glyph in the block's format: width × height bits, row by row, most significant bit first.
  // `glyph` holds width × height / 8 bytes and is cleared first.
  void Pack(std::span<std::uint8_t> glyph) const;

 private:
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }

  int m_width;
  int m_height;
  std::vector<std::uint8_t> m_pixels;
  int m_clipped = 0;
};

}  // namespace quillon::tools
