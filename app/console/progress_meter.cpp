#include "app/console/progress_meter.h"

#include <algorithm>
#include <cstdio>

namespace quillon::console {
namespace {

constexpr int kBarWidth = 20;

}  // namespace

std::string FormatProgressLine(int steps, int total, double elapsedSeconds) {
  total = std::max(total, 1);
  steps = std::clamp(steps, 0, total);
  const int filled = steps * kBarWidth / total;
  const int percent = steps * 100 / total;
  std::string line;
  line.reserve(96);
  line.push_back('[');
  line.append(static_cast<std::size_t>(filled), '#');
  line.append(static_cast<std::size_t>(kBarWidth - filled), ' ');
  line.push_back(']');

  char numbers[128];
  std::snprintf(numbers, sizeof numbers, " %5d/%d pages  %3d %%", steps, total, percent);
  line += numbers;
  if (elapsedSeconds > 0 && steps > 0) {
    const double rate = steps / elapsedSeconds;
    const int secondsLeft = static_cast<int>((total - steps) / rate + 0.5);
    std::snprintf(numbers, sizeof numbers, "  %6.1f pages/s  %d:%02d left", rate, secondsLeft / 60,
                  secondsLeft % 60);
    line += numbers;
  }
  return line;
}

int FivePercentMark(int steps, int total) {
  total = std::max(total, 1);
  return std::clamp(steps, 0, total) * 20 / total;
}

}  // namespace quillon::console
