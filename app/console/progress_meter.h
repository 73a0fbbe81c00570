// The console's picture of the progress bar: a bar line redrawn on a terminal, a line every twentieth of
// the bar anywhere else. A long job steps the window's bar past its end, where it starts over; the
// console counts on across the wrap, so its page count and rate stay true.
#pragma once

#include <string>

namespace quillon::console {

// "[#####               ]   120 pages written   40.1 pages/s": the bar as the window shows it (position
// of total), the pages written so far, and the rate of the last `timedPages` of them, written in
// elapsedSeconds.
// `done` says what happened to the pages ("written", "read").
std::string FormatProgressLine(int pages, int timedPages, int barPosition, int barTotal,
                               double elapsedSeconds, const char* done = "written");

// Follows the bar's positions through a job: the steps made so far, counting on where the bar wraps.
class ProgressCount {
 public:
  explicit ProgressCount(int barTotal) : m_barTotal(barTotal) {}

  // A position of the bar; false when it means the bar was reset (a job opening or closing) rather
  // than stepped.
  bool Show(int position);
  int Steps() const { return m_wrapped + m_position; }
  // Which twentieth of the bar's length the steps have reached, counting on past the end.
  int Twentieths() const;

 private:
  int m_barTotal;
  int m_position = 0;
  int m_wrapped = 0;  // steps made in the bar's earlier rounds
};

}  // namespace quillon::console
