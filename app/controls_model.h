// The dialog's model of its two value controls. The view only mirrors them.
#pragma once

#include <algorithm>

namespace quillon {

// A progress bar: stepping past the end starts over from the beginning, as the station's bar always has.
struct ProgressModel {
  int lower = 0;
  int upper = 100;
  int step = 10;
  int position = 0;

  void SetRange(int newLower, int newUpper) {
    lower = newLower;
    upper = newUpper;
    position = std::clamp(position, lower, upper);
  }
  void SetPos(int newPosition) { position = std::clamp(newPosition, lower, upper); }
  void StepIt() {
    position += step;
    if (position > upper) position = lower + (position - upper - 1);
  }
};

// A slider: positions outside the range are held at its ends.
struct SliderModel {
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

}  // namespace quillon
