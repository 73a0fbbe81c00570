#include "tools/fontgen/pictures.h"

namespace quillon::tools {
namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 32;

void Frame(Canvas& canvas, int x, int y, int width, int height, int thickness) {
  canvas.FillRect(x, y, width, thickness);
  canvas.FillRect(x, y + height - thickness, width, thickness);
  canvas.FillRect(x, y, thickness, height);
  canvas.FillRect(x + width - thickness, y, thickness, height);
}

}  // namespace

Canvas DrawBattery(int level) {
  Canvas battery(kWidth, kHeight);
  // Body 54 × 22 with a 2-pixel wall, the terminal a 4 × 10 block on the right.
  constexpr int kBodyX = 2, kBodyY = 5, kBodyWidth = 54, kBodyHeight = 22;
  Frame(battery, kBodyX, kBodyY, kBodyWidth, kBodyHeight, 2);
  battery.FillRect(kBodyX + kBodyWidth, 11, 4, 10);
  // Four bars of 10 pixels with 2-pixel gaps, 2 pixels in from the wall, filling from the left.
  constexpr int kBarWidth = 10, kGap = 2;
  for (int bar = 0; bar < level; ++bar) {
    battery.FillRect(kBodyX + 4 + bar * (kBarWidth + kGap), kBodyY + 4, kBarWidth, kBodyHeight - 8);
  }
  return battery;
}

Canvas DrawEnvelope() {
  Canvas envelope(kWidth, 2 * kHeight);
  constexpr int kLeft = 2, kTop = 12, kRight = 61, kBottom = 51;
  Frame(envelope, kLeft, kTop, kRight - kLeft + 1, kBottom - kTop + 1, 2);
  // The flap: from the top corners down to a point below the middle.
  constexpr int kTipX = 31, kTipY = 36;
  envelope.Line(kLeft, kTop, kTipX, kTipY, 2);
  envelope.Line(kRight - 1, kTop, kTipX, kTipY, 2);
  // The folds of the lower half, from the bottom corners towards the flap.
  envelope.Line(kLeft, kBottom - 1, 23, 30, 2);
  envelope.Line(kRight - 1, kBottom - 1, 39, 30, 2);
  return envelope;
}

}  // namespace quillon::tools
