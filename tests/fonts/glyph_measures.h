// Measures of a glyph's ink that the font tests compare.
#pragma once

#include <cstdint>
#include <span>

#include "fonts/glyph_bits.h"

namespace quillon::testing {

inline int InkPixels(std::span<const std::uint8_t> glyph, GlyphFormat format) {
  int ink = 0;
  for (int y = 0; y < format.height; ++y) {
    for (int x = 0; x < format.width; ++x) ink += GlyphPixel(glyph, format, x, y);
  }
  return ink;
}

inline bool Blank(std::span<const std::uint8_t> glyph, GlyphFormat format) {
  return InkPixels(glyph, format) == 0;
}

// The lowest row holding ink, -1 for a blank glyph.
inline int BottomInkRow(std::span<const std::uint8_t> glyph, GlyphFormat format) {
  for (int y = format.height - 1; y >= 0; --y) {
    for (int x = 0; x < format.width; ++x) {
      if (GlyphPixel(glyph, format, x, y)) return y;
    }
  }
  return -1;
}

// The lowest or the highest row holding ink: -1 for a blank glyph.
inline int TopInkRow(std::span<const std::uint8_t> glyph, GlyphFormat format) {
  for (int y = 0; y < format.height; ++y) {
    for (int x = 0; x < format.width; ++x) {
      if (GlyphPixel(glyph, format, x, y)) return y;
    }
  }
  return -1;
}

// How many separate stretches of ink row y holds, and how wide they span from the first to the last.
struct RowInk {
  int runs = 0;
  int span = 0;
};
inline RowInk InkInRow(std::span<const std::uint8_t> glyph, GlyphFormat format, int y) {
  RowInk ink;
  int first = -1;
  for (int x = 0; x < format.width; ++x) {
    if (!GlyphPixel(glyph, format, x, y)) continue;
    if (x == 0 || !GlyphPixel(glyph, format, x - 1, y)) ++ink.runs;
    if (first < 0) first = x;
    ink.span = x - first + 1;
  }
  return ink;
}

}  // namespace quillon::testing
