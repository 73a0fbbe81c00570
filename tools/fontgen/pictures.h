// The block's 64 × 32 pictures, drawn rather than taken from a font.
#pragma once

#include "tools/glyphs/canvas.h"

namespace quillon::tools {

inline constexpr int kBatteryLevels = 5;

// A battery lying on its side, terminal to the right, with `level` (0..4) of its four bars filled.
Canvas DrawBattery(int level);
// A closed envelope 64 × 64 pixels; the block holds its upper and its lower half.
Canvas DrawEnvelope();

}  // namespace quillon::tools
