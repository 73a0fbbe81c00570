#include "front/console/progress_meter.h"
#include "texts/catalogue.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quillon::console {
namespace {

constexpr int kBarWidth = 20;

std::string Bar(int done, int whole) {
  whole = std::max(whole, 1);
  const int filled = std::clamp(done, 0, whole) * kBarWidth / whole;
  std::string bar = "[";
  bar.append(static_cast<std::size_t>(filled), '#');
  bar.append(static_cast<std::size_t>(kBarWidth - filled), ' ');
  return bar + "]";
}

}  // namespace

std::string FormatProgressLine(const ProgressFigures& figures) {
  const double rate = figures.elapsedSeconds > 0 && figures.timedPages > 0
                          ? figures.timedPages / figures.elapsedSeconds
                          : 0.0;
  char numbers[128];
  std::string line;
  if (figures.total > 0) {
    line = Bar(figures.pages, figures.total);
    line += ' ';
    line +=
        Tr("{1}/{2} pages  {3} %", {std::to_string(figures.pages), std::to_string(figures.total),
                                    std::to_string(std::clamp(figures.pages * 100 / figures.total, 0, 100))});
  } else {
    line = Bar(figures.barPosition, figures.barTotal);
    std::snprintf(numbers, sizeof numbers, "%5d", figures.pages);
    line += ' ';
    line += Tr("{1} pages", {numbers});
  }
  if (rate > 0) {
    std::snprintf(numbers, sizeof numbers, "%.1f", rate);
    line += "  ";
    line += Tr("{1} pages/s", {numbers});
    if (figures.total > 0 && figures.pages < figures.total) {
      const auto left = static_cast<long>(std::ceil((figures.total - figures.pages) / rate));
      line += "  ";
      line += Tr("{1} s left", {std::to_string(left)});
    }
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

}  // namespace quillon::console
