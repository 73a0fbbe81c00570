// The built-in font images: one contiguous read-only block of six tables (see font_layout.h), compiled
// into the program from the assets under fonts/assets/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "fonts/font_layout.h"

// The block's bytes, placed by the assembler straight from the asset files (builtin_font_block.cpp).
// Its assembler name is given, as 32-bit Windows would otherwise look for "_quillon_builtin_font_block".
extern "C" const std::uint8_t quillon_builtin_font_block[quillon::kBuiltinFontBlockSize] asm(
    "quillon_builtin_font_block");

namespace quillon {

inline constexpr std::span<const std::uint8_t, kBuiltinFontBlockSize> kBuiltinFontBlock{
    quillon_builtin_font_block, kBuiltinFontBlockSize};

// A table's own bytes. A job that copies whole pages may run past a table's end into the next one;
// it takes kBuiltinFontBlock.subspan(table.offset) instead.
constexpr std::span<const std::uint8_t> TableBytes(const FontTable& table) {
  return kBuiltinFontBlock.subspan(table.offset, table.size);
}

// Glyph n of a run.
constexpr std::span<const std::uint8_t> GlyphBytes(const GlyphRun& run, int n) {
  return kBuiltinFontBlock.subspan(run.GlyphOffset(n), run.format.Bytes());
}

}  // namespace quillon
