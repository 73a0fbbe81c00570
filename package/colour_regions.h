// Where the colour-screen packages put runs of the built-in font block in flash. A region's last page is
// whole: where its length is not a multiple of a page, the page goes on with the bytes that follow in
// the block, and what lies past the block's end is sent as filler.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fonts/builtin_font_block.h"

namespace quillon {

struct BuiltinRegion {
  std::uint32_t flashStart;
  std::size_t blockOffset;
  std::uint32_t length;
};

inline constexpr BuiltinRegion kSymbolRegion{0x0F0000, kFontAsciiSymbols.offset, 14656};
inline constexpr BuiltinRegion kLatin16Region{0x0F4000, kFontLatin16x32.offset, 10304};
inline constexpr BuiltinRegion kLatin12Region{0x0F7000, kFontLatin12x32.offset, 7728};
// Runs 1792 bytes past the 32 × 32 table into the 16 × 16 one, to fill flash up to 0x200000.
inline constexpr BuiltinRegion kGlyphRegion{0x100000, kFontGb2312_32x32.offset, 0x100000};
inline constexpr BuiltinRegion kSmallScreenRegion{0x000000, kFontGb2312_16x16.offset, 261696};

// The symbols and Latin fonts every 240 × 240 package begins with.
inline constexpr BuiltinRegion kScreen240Regions[] = {kSymbolRegion, kLatin16Region, kLatin12Region};

// Where the 32 × 32 glyphs from an image file go.
inline constexpr std::uint32_t kFileRegionStart = 0x100000;

// Sent where a page runs past the end of the built-in block.
inline constexpr std::uint8_t kColourPageFiller = 0xFF;

// The page of the block at `offset` into `page` (256 bytes).
void CopyBlockPage(std::size_t offset, std::uint8_t* page);

}  // namespace quillon
