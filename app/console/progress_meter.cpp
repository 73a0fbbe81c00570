#include "app/console/progress_meter.h"

#include <algorithm>
#include <cstdio>

namespace quillon::console {
namespace {

constexpr int kBarWidth = 20;

}  // namespace

std::string FormatProgressLine(int pages, int timedPages, int barPosition, int barTotal,
                               double elapsedSeconds, const char* done) {
  barTotal = std::max(barTotal, 1);
  const int filled = std::clamp(barPosition, 0, barTotal) * kBarWidth / barTotal;
  std::string line;
  line.reserve(80);
  line.push_back('[');
  line.append(static_cast<std::size_t>(filled), '#');
  line.append(static_cast<std::size_t>(kBarWidth - filled), ' ');
  line.push_back(']');

  char numbers[96];
  std::snprintf(numbers, sizeof numbers, " %5d pages %s", pages, done);
  line += numbers;
  if (elapsedSeconds > 0 && timedPages > 0) {
    std::snprintf(numbers, sizeof numbers, "  %6.1f pages/s", timedPages / elapsedSeconds);
    line += numbers;
  }
  return line;
}

bool ProgressCount::Show(int position) {
  // The bar starts over at 0 only after its last position; any other 0 is a reset.
  if (position == 0 && m_position != m_barTotal) {
    m_position = 0;
    m_wrapped = 0;
    return false;
  }
  if (position < m_position) m_wrapped += m_barTotal + 1;
  m_position = position;
  return true;
}

int ProgressCount::Twentieths() const {
  return Steps() * 20 / std::max(m_barTotal, 1);
}

}  // namespace quillon::console
