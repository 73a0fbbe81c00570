// The dialog's model of its two value controls. The view only mirrors them.
#pragma once

#include <algorithm>

namespace quillon {

// A position within a range; positions outside it are held at its ends.
struct RangedPosition {
  int lower = 0;
  int upper = 100;
  int position = 0;

  void SetRange(int newLower, int newUpper) {
    lower = newLower;
    upper = newUpper;
    position = std::clamp(position, lower, upper);
  }
  void SetPos(int newPosition) { position = std::clamp(newPosition, lower, upper); }
};

struct SliderModel : RangedPosition {};

// A progress bar: stepping past the end starts over from the beginning, as the station's bar always has.
struct ProgressModel : RangedPosition {
  int step = 10;

  void StepIt() {
    position += step;
    if (position > upper) position = lower + (position - upper - 1);
  }
};

}  // namespace quillon
