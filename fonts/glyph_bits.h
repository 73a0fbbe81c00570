// Single pixels of a glyph in the block's 1-bit format (see GlyphFormat): pixel (x, y) is bit
// y × width + x of the glyph, counted from the most significant bit of its first byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "fonts/font_layout.h"

namespace quillon {

constexpr bool GlyphPixel(std::span<const std::uint8_t> glyph, GlyphFormat format, int x, int y) {
  const auto bit = static_cast<std::size_t>(y * format.width + x);
  return (glyph[bit / 8] >> (7 - bit % 8)) & 1;
}

constexpr void SetGlyphPixel(std::span<std::uint8_t> glyph, GlyphFormat format, int x, int y) {
  const auto bit = static_cast<std::size_t>(y * format.width + x);
  glyph[bit / 8] |= static_cast<std::uint8_t>(0x80 >> (bit % 8));
}

}  // namespace quillon
