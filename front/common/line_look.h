// How the production view looks, the same in the Qt and the Win32 window: where each tile goes, its
// colour, its words and its icon, so that the two toolkits only draw. Eight tiles on a 1366 × 768
// screen are read from two metres: the slot's number and its state word are at least 40 px high.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "line/line_model.h"

namespace quillon {

struct Rgb {
  std::uint8_t red, green, blue;
};

enum class TileIcon { kNone, kWaiting, kWriting, kPassed, kFailed, kStopped };

struct TileLook {
  Rgb background;
  Rgb text;
  std::string number;     // the slot's number, large
  std::string name;       // its label or port
  std::string stateWord;  // large: "waiting", "writing", "PASS", "FAIL", "stopped"
  TileIcon icon = TileIcon::kNone;
  double bar = -1;                 // writing: the part done, 0..1; -1: no bar
  std::vector<std::string> lines;  // pages and time left, the reason, "remove the unit", the label
  std::string flag;                // "check socket 3" on a yellow band; empty: none
};

TileLook LookOf(const Tile& tile);

struct Box {
  int left, top, width, height;
};

// The tiles' places in an area of the window: a grid that fills it, as square as the count allows.
std::vector<Box> TileGrid(int tiles, const Box& area, int gap);

// The header's lines: the package, the shift's counters, the station; and the banner while the
// settings are open (no PIN set yet); empty when there is none.
std::vector<std::string> HeaderLines(const LineHeader& header);
std::string OpenBanner(const LineHeader& header);

// Sizes in pixels for a tile of this height: the number and state word, and the smaller lines.
struct TileFonts {
  int large;
  int small;
};
TileFonts FontsFor(const Box& tile);

// The header's and the banner's heights, and the gap between tiles, in pixels.
inline constexpr int kLineHeaderHeight = 96;
inline constexpr int kLineBannerHeight = 28;
inline constexpr int kLineTileGap = 8;

inline constexpr Rgb kHeaderBackground{0x26, 0x32, 0x38};
inline constexpr Rgb kBannerBackground{0xFF, 0xC1, 0x07};
inline constexpr Rgb kFlagBackground{0xFF, 0xEB, 0x3B};

}  // namespace quillon
