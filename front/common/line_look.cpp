#include "front/common/line_look.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "texts/catalogue.h"

namespace quillon {
namespace {

constexpr Rgb kWhite{0xFF, 0xFF, 0xFF};
constexpr Rgb kBlack{0x10, 0x10, 0x10};

std::string Percent(double value) {
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

}  // namespace

TileLook LookOf(const Tile& tile) {
  TileLook look;
  look.number = std::to_string(tile.slot);
  look.name = tile.name;
  switch (tile.state) {
    case TileState::kWaiting:
      look.background = {0x9E, 0x9E, 0x9E};
      look.text = kBlack;
      look.stateWord = Tr("waiting");
      look.icon = TileIcon::kWaiting;
      if (!tile.status.empty()) look.lines.push_back(tile.status);
      break;
    case TileState::kWriting:
      look.background = {0x15, 0x65, 0xC0};
      look.text = kWhite;
      look.stateWord = Tr("writing");
      look.icon = TileIcon::kWriting;
      look.bar = tile.pages > 0 ? static_cast<double>(tile.done) / tile.pages : 0;
      look.lines.push_back(
          tile.secondsLeft >= 0
              ? Tr("{1} of {2} pages, {3} s left",
                   {std::to_string(tile.done), std::to_string(tile.pages), std::to_string(tile.secondsLeft)})
              : Tr("{1} of {2} pages", {std::to_string(tile.done), std::to_string(tile.pages)}));
      break;
    case TileState::kPassed:
      look.background = {0x2E, 0x7D, 0x32};
      look.text = kWhite;
      look.stateWord = Tr("PASS");
      look.icon = TileIcon::kPassed;
      break;
    case TileState::kFailed:
      look.background = {0xC6, 0x28, 0x28};
      look.text = kWhite;
      look.stateWord = Tr("FAIL");
      look.icon = TileIcon::kFailed;
      look.lines.push_back(tile.reason);
      break;
    case TileState::kStopped:
      look.background = {0x42, 0x42, 0x42};
      look.text = kWhite;
      look.stateWord = Tr("stopped");
      look.icon = TileIcon::kStopped;
      if (!tile.status.empty()) look.lines.push_back(tile.status);
      break;
  }
  if (tile.removeUnit) look.lines.push_back(Tr("remove the unit"));
  if (!tile.barcode.empty()) look.lines.push_back(tile.barcode);
  if (tile.checkSocket) look.flag = Tr("check socket {1}", {std::to_string(tile.slot)});
  return look;
}

std::vector<Box> TileGrid(int tiles, const Box& area, int gap) {
  std::vector<Box> boxes;
  if (tiles <= 0) return boxes;
  // Wider than high, as screens are: 2 → 2 × 1, 4 → 2 × 2, 8 → 4 × 2, 16 → 4 × 4.
  const int columns = std::min(tiles, static_cast<int>(std::ceil(std::sqrt(tiles * 2.0))));
  const int rows = (tiles + columns - 1) / columns;
  const int width = (area.width - gap * (columns + 1)) / columns;
  const int height = (area.height - gap * (rows + 1)) / rows;
  for (int i = 0; i < tiles; ++i) {
    boxes.push_back({area.left + gap + (i % columns) * (width + gap),
                     area.top + gap + (i / columns) * (height + gap), width, height});
  }
  return boxes;
}

std::vector<std::string> HeaderLines(const LineHeader& header) {
  std::vector<std::string> lines;
  lines.push_back(
      Tr("{1}, {2} pages, SHA-256 {3}", {header.package, std::to_string(header.pages), header.digest}));
  const ShiftCounters& counters = header.counters;
  lines.push_back(
      Tr("Shift: {1} passed, {2} failed, {3} in all, yield {4} %, {5} units an hour",
         {std::to_string(counters.passed), std::to_string(counters.failed), std::to_string(counters.Total()),
          Percent(counters.YieldPercent()), Percent(header.unitsPerHour)}));
  std::string third = header.station;
  if (!header.pendingBarcode.empty()) {
    third += (third.empty() ? "" : "    ") + Tr("Next unit's label: {1}", {header.pendingBarcode});
  }
  if (!header.notice.empty()) third += (third.empty() ? "" : "    ") + header.notice;
  if (!third.empty()) lines.push_back(third);
  return lines;
}

std::string OpenBanner(const LineHeader& header) {
  return header.pinSet ? std::string() : Tr("Settings are open until a supervisor's PIN is set.");
}

TileFonts FontsFor(const Box& tile) {
  // The number and the state word share the top half of the tile, each at least 40 px when the tile
  // has room for it.
  const int large = std::clamp(tile.height / 5, 24, 96);
  return {large, std::clamp(tile.height / 14, 12, 26)};
}

}  // namespace quillon
