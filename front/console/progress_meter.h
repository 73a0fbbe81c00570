// The console's picture of a job's progress: a line redrawn on a terminal, a line every tenth of the
// job anywhere else. The window's bar has 1046 steps and starts over past its end; the console counts on
// across the wrap, so its page count and rate stay true, and shows the job against its own page total
// when it knows it.
#pragma once

#include <string>

namespace quillon::console {

struct ProgressFigures {
  int pages = 0;        // done so far
  int total = 0;        // the job's pages; 0 when not known
  int barPosition = 0;  // the window's bar, drawn when the total is not known
  int barTotal = 1;
  int timedPages = 0;  // the rate is theirs, over elapsedSeconds
  double elapsedSeconds = 0;
};

// "[########            ] 812/1557 pages  52 %  38.4 pages/s  19 s left", or without a total
// "[#####               ]   812 pages  38.4 pages/s" with the bar as the window shows it.
std::string FormatProgressLine(const ProgressFigures& figures);

// Follows the bar's positions through a job: the steps made so far, counting on where the bar wraps.
class ProgressCount {
 public:
  explicit ProgressCount(int barTotal) : m_barTotal(barTotal) {}

  // A position of the bar; false when it means the bar was reset (a job opening or closing) rather
  // than stepped.
  bool Show(int position);
  int Steps() const { return m_wrapped + m_position; }

 private:
  int m_barTotal;
  int m_position = 0;
  int m_wrapped = 0;  // steps made in the bar's earlier rounds
};

}  // namespace quillon::console
